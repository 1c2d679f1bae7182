#include "tests/tools/window_and_batch.h"

#include "app/main_window.h"
#include "tests/app/data_file.h"

#include <QPushButton>
#include <QtTest/QTest>

namespace tovrel::test {

void confirmAndRun(mainS& window) {
    QTest::mouseClick(window.Command1, Qt::LeftButton);
    QTest::mouseClick(window.Command1, Qt::LeftButton);
}

BatchOutcome runBatchAlongside(std::vector<std::string> options,
                               const std::filesystem::path& output,
                               const std::vector<std::filesystem::path>& pictures,
                               const std::filesystem::path& dataFolder) {
    writeDataFile(dataFolder, {0.254f});
    for (const std::string& more :
         {std::string("-o"), output.string(), std::string("--data-file"), dataFolder.string()}) {
        options.push_back(more);
    }
    for (const std::filesystem::path& picture : pictures) {
        options.push_back(picture.string());
    }
    return runBatch(options);
}

} // namespace tovrel::test
