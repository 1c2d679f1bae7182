#include "tests/app/pick_fixture.h"

#include "app/file_list.h"
#include "app/folder_list.h"
#include "app/name_box.h"
#include "tests/app/data_file.h"

#include <QImage>
#include <QtTest/QTest>

namespace tovrel::test {

void PickTest::SetUp() {
    writeDataFile(dataDir.path(), {0.254f});
    open();
    activate();
}

std::filesystem::path PickTest::writePicture(const std::string& name, int width, int height,
                                             int dotsPerMetre, QColor colour) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    const std::filesystem::path file = pictures / name;
    EXPECT_TRUE(image.save(path(file), "BMP")) << name;
    return file;
}

void PickTest::openPictures() {
    ASSERT_TRUE(window->Dir1->setPath(path(pictures.path())));
}

void PickTest::clickFile(const QString& name) {
    const QList<QListWidgetItem*> found = window->File1->findItems(name, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << name.toStdString();
    window->File1->scrollToItem(found.front());
    const QPoint at = window->File1->visualItemRect(found.front()).center();
    QTest::mouseClick(window->File1->viewport(), Qt::LeftButton, {}, at);
}

void PickTest::clickNameBox(int slot) {
    QTest::mouseClick(window->nameBox(slot), Qt::LeftButton);
}

} // namespace tovrel::test
