// The output header written when the disk is full, the file may not grow, the
// folder or an earlier file is not writable, or the template is damaged: a
// clear message, no file created or left behind, and what writeTiffHeader
// promises for an earlier file at the path.

#include "tiff/tiff_header.h"

#include "tests/params/data_file_maker.h"
#include "tests/support/restricted_run.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace tovrel {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

// The worked example's file: 1000 x 500 pixels.
constexpr int32_t kW = 1000;
constexpr int32_t kH = 500;
constexpr off_t kLength = 1'501'449;

const Bytes kEarlier(2000, 0xEE);

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class HeaderFaults : public ::testing::Test {
  protected:
    test::TempDir dir;
    fs::path out = dir / "out.tif";
    TiffTemplate tmpl = test::shippedTemplate();

    std::string write() const { return writeTiffHeader(out, tmpl, kW, kH, 300.0f).message(); }
};

TEST_F(HeaderFaults, ASizeLimitLeavesNoNewFileAndAnEarlierOneAsItWas) {
    for (const off_t limit :
         {off_t{0}, off_t{1000}, off_t{1447}, off_t{1448}, off_t{1449}, off_t{2000}, kLength - 1}) {
        for (const bool earlier : {false, true}) {
            SCOPED_TRACE("limit " + std::to_string(limit) + (earlier ? ", earlier file" : ""));
            fs::remove(out);
            if (earlier) {
                test::writeFile(out, kEarlier);
            }
            const auto message = test::runWithFileSizeLimit(limit, [&] { return write(); });
            ASSERT_TRUE(message.has_value());
            EXPECT_TRUE(contains(*message, out.string()) &&
                        contains(*message, "文件超出了允许的大小"))
                << *message;
            if (earlier) {
                EXPECT_EQ(test::readFile(out), kEarlier);
            } else {
                EXPECT_FALSE(fs::exists(out));
            }
        }
    }
}

TEST_F(HeaderFaults, AFullDiskLeavesNoNewFileAndAnEarlierOneAsItWas) {
    for (const bool earlier : {false, true}) {
        SCOPED_TRACE(earlier ? "earlier file" : "no earlier file");
        // Everything happens on the small disk, which only the child sees; it
        // reports what it found as text.
        const auto report = test::runOnSmallDisk(dir.path(), 256 * 1024, [&] {
            if (earlier) {
                test::writeFile(out, kEarlier);
            }
            const std::string message = write();
            const std::string left = !fs::exists(out)                  ? "none"
                                     : test::readFile(out) == kEarlier ? "earlier"
                                                                       : "changed";
            return left + "\n" + message;
        });
        if (!report) {
            GTEST_SKIP() << "cannot mount a small disk here";
        }
        EXPECT_EQ(report->substr(0, report->find('\n')), earlier ? "earlier" : "none");
        EXPECT_TRUE(contains(*report, out.string()) && contains(*report, "磁盘空间不足"))
            << *report;
    }
}

TEST_F(HeaderFaults, AFolderTheUserCannotWriteGetsNoFileAndKeepsAnEarlierOne) {
    fs::permissions(dir.path(), fs::perms::others_read | fs::perms::others_exec,
                    fs::perm_options::add);
    for (const bool earlier : {false, true}) {
        SCOPED_TRACE(earlier ? "earlier file" : "no earlier file");
        fs::remove(out);
        if (earlier) {
            test::writeFile(out, kEarlier);
        }
        const auto message = test::runAsOrdinaryUser([&] { return write(); });
        if (!message) {
            GTEST_SKIP() << "cannot run as an ordinary user here";
        }
        EXPECT_TRUE(contains(*message, out.string()) && contains(*message, "没有访问权限"))
            << *message;
        // An earlier file is not created anew, and the message says so.
        EXPECT_TRUE(contains(*message, earlier ? "无法打开" : "无法创建")) << *message;
        if (earlier) {
            EXPECT_EQ(test::readFile(out), kEarlier);
        } else {
            EXPECT_FALSE(fs::exists(out));
        }
    }
}

TEST_F(HeaderFaults, AReadOnlyEarlierFileInTheUsersOwnFolderIsKept) {
    fs::permissions(dir.path(), fs::perms::others_all, fs::perm_options::add);
    test::writeFile(out, kEarlier);
    fs::permissions(out, fs::perms::owner_read | fs::perms::others_read);
    const auto message = test::runAsOrdinaryUser([&] { return write(); });
    if (!message) {
        GTEST_SKIP() << "cannot run as an ordinary user here";
    }
    EXPECT_TRUE(contains(*message, out.string()) && contains(*message, "没有访问权限")) << *message;
    EXPECT_EQ(test::readFile(out), kEarlier);
}

// A damaged template in the data file: the store hands it over as it is, and
// the header is refused before the output path is touched.
TEST_F(HeaderFaults, ADamagedTemplateInTheDataFileCreatesAndChangesNothing) {
    const Bytes garbage(kTemplateSize, 0x5A);
    test::writeFile(dir / "kvxj.dll", garbage);
    const auto read = PitchStore(dir.path()).readTemplate();
    ASSERT_TRUE(read.isOk()) << read.message();
    for (const bool earlier : {false, true}) {
        SCOPED_TRACE(earlier ? "earlier file" : "no earlier file");
        fs::remove(out);
        if (earlier) {
            test::writeFile(out, kEarlier);
        }
        const Status s = writeTiffHeader(out, read.value(), kW, kH, 300.0f);
        EXPECT_TRUE(contains(s.message(), "kvxj.dll") && contains(s.message(), "模板已损坏"))
            << s.message();
        if (earlier) {
            EXPECT_EQ(test::readFile(out), kEarlier);
        } else {
            EXPECT_FALSE(fs::exists(out));
        }
    }
    EXPECT_EQ(test::readFile(dir / "kvxj.dll"), garbage);
}

} // namespace
} // namespace tovrel
