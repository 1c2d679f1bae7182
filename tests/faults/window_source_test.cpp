// A picture deleted or shortened between choosing it in the window and
// pressing the start button.

#include "app/main_window.h"
#include "app/progress_scroll_bar.h"
#include "tests/app/data_file.h"
#include "tests/faults/window_fault_fixture.h"

#include <QComboBox>
#include <QImage>
#include <QLineEdit>

namespace tovrel::test {
namespace {

namespace fs = std::filesystem;

struct SourceChange {
    const char* name;
    // Changes the picture at the path; says what the message names.
    std::function<void(const fs::path&)> change;
    const char* says;
};

class ChangedSource : public WindowFaultTest, public ::testing::WithParamInterface<SourceChange> {};

TEST_P(ChangedSource, RunEndsWithAMessageKeepsTheEarlierFileAndWorksOnceChosenAgain) {
    arm();
    const std::vector<unsigned char> earlier(500, 0x3C);
    writeFile(output(), earlier);
    const fs::path second = pictures / "pic2.bmp";
    GetParam().change(second);
    const std::size_t before = messages.size();
    clickStart();
    EXPECT_TRUE(toldOnce(before, {"第 2 张图片", GetParam().says, second.string()}));
    EXPECT_EQ(caption(), "确定");
    EXPECT_FALSE(window->TextOUT->isReadOnly());
    EXPECT_EQ(window->HScroll1->value(), 0);
    EXPECT_EQ(readFile(output()), earlier);
    EXPECT_EQ(outputFolder(), std::vector<std::string>{"out.tif"});
    // The header was written, so the run's pitch is in the list.
    EXPECT_EQ(readFile(dataFile()), dataFileBytes({0.254f, 0.5f}));

    // The picture restored and chosen again into its slot.
    writePicture("pic2.bmp", 40, 30, 2835, Qt::darkRed);
    clickNameBox(2);
    clickFile("pic2.bmp");
    typeInto(window->CombK, "2");
    typeInto(window->CombG, "1.5");
    EXPECT_TRUE(runsAgain());
}

INSTANTIATE_TEST_SUITE_P(
    Changes, ChangedSource,
    ::testing::Values(SourceChange{"Deleted", [](const fs::path& p) { fs::remove(p); }, "无法打开"},
                      // The header and five of the thirty rows stay.
                      SourceChange{"Shortened",
                                   [](const fs::path& p) { fs::resize_file(p, 54 + 5 * 120); },
                                   "比选择时短"},
                      // Another picture of another size under the same name.
                      SourceChange{"Replaced",
                                   [](const fs::path& p) {
                                       QImage other(50, 30, QImage::Format_RGB32);
                                       other.fill(Qt::yellow);
                                       other.save(QString::fromStdString(p.string()), "BMP");
                                   },
                                   "已改变"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tovrel::test
