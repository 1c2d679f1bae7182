// Picking the source pictures: the drive, folder and file lists and the four
// picture slots they fill.

#include "app/drive_list.h"
#include "app/file_list.h"
#include "app/folder_access.h"
#include "app/folder_list.h"
#include "app/main_window.h"
#include "app/name_box.h"
#include "job/file_pick.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSignalBlocker>
#include <QStorageInfo>

namespace tovrel {

namespace {

const QString kLastFolderKey = "folders/last";

// The folder a drive opens at: the process's current folder when it lies on
// that drive and can be listed, else the drive's root.
QString currentFolderOn(const QString& root) {
    const QString current = QDir::currentPath();
    if (QStorageInfo(current).rootPath() == root && folderListingProblem(current).isEmpty()) {
        return current;
    }
    return root;
}

// Puts the picked file into slot k and refreshes everything that depends on
// the chosen pictures.
void fillSlot(mainS& w, int k, const QString& fileName) {
    JobState& job = w.job;
    w.nameBox(k)->setText(QString::fromStdString(withoutExtension(fileName.toStdString())));
    job.InPath(k) = job.PickPath;
    if (k == 1) {
        const bool horizontal = w.Op_h->isChecked();
        w.TextOUT->setText(QString::fromStdString(proposedOutputPath(job.PickPath, horizontal)));
        job.OutPath = w.TextOUT->text().toStdString();
    }
    for (int j = k + 1; j <= kSlots; ++j) {
        w.nameBox(j)->clear();
    }
    for (int j = k - 1; j < kSlots; ++j) {
        w.TextX[j]->clear();
        w.TextY[j]->clear();
    }
    // After slot 4 the active slot stays 4, so a further pick replaces the
    // fourth picture: every click in the file list shows its effect, and a
    // fourth picture tried in the wrong version is swapped with one click.
    if (k < kSlots) {
        w.nameBox(k + 1)->setFocus();
        job.ActiveSlot = static_cast<uint8_t>(k + 1);
    }
    job.Views = static_cast<float>(k);
    job.ViewCount = static_cast<uint8_t>(k);
    w.GetF_info();
    // The emptied slots show neither a picture nor the size of one.
    for (int j = k; j < kSlots; ++j) {
        w.Image1[j]->clear();
        w.LabXY[j]->clear();
    }
    if (job.ViewCount < k) {
        // A picture was refused: the next pick fills the first empty slot
        // again instead of being turned away for the gap.
        const int next = job.ViewCount + 1;
        job.ActiveSlot = static_cast<uint8_t>(next);
        w.nameBox(next)->setFocus();
    } else if (k >= 2) {
        w.Command1->setFocus();
    }
}

} // namespace

void mainS::connectFileSelection() {
    constexpr auto direct = Qt::DirectConnection;
    connect(Drive1, &DriveList::pathChanged, this, &mainS::Drive1_Change, direct);
    connect(Dir1, &FolderList::pathChanged, this, &mainS::Dir1_Change, direct);
    connect(File1, &FileList::fileClicked, this, &mainS::File1_Click, direct);
    connect(Text1, &NameBox::gotFocus, this, &mainS::Text1_GotFocus, direct);
    connect(Text2, &NameBox::gotFocus, this, &mainS::Text2_GotFocus, direct);
    connect(Text3, &NameBox::gotFocus, this, &mainS::Text3_GotFocus, direct);
    connect(Text4, &NameBox::gotFocus, this, &mainS::Text4_GotFocus, direct);
}

NameBox* mainS::nameBox(int slot) const {
    const std::array<NameBox*, kSlots> boxes{Text1, Text2, Text3, Text4};
    return boxes.at(static_cast<size_t>(slot - 1));
}

void mainS::Drive1_Change() {
    if (!Dir1->setPath(currentFolderOn(Drive1->path()))) {
        // The folder list has told why; the drive list goes back to the
        // drive of the folder still shown.
        const QSignalBlocker quiet(Drive1);
        Drive1->setPath(Dir1->path());
    }
}

void mainS::Dir1_Change() {
    if (!File1->setPath(Dir1->path())) {
        // Never offer the files of another folder than the one shown.
        File1->clear();
    }
    // A folder opened on another volume moves the drive list along.
    const QSignalBlocker quiet(Drive1);
    Drive1->setPath(Dir1->path());
    QSettings().setValue(kLastFolderKey, Dir1->path());
}

void mainS::loadLastFolder() {
    const QString last = QSettings().value(kLastFolderKey).toString();
    // A folder gone or closed since is passed over without a word: the lists
    // stay in the current folder.
    if (!last.isEmpty() && folderListingProblem(last).isEmpty()) {
        Dir1->setPath(last);
    }
}

void mainS::Text1_GotFocus() {
    job.ActiveSlot = 1;
}

void mainS::Text2_GotFocus() {
    job.ActiveSlot = 2;
}

void mainS::Text3_GotFocus() {
    job.ActiveSlot = 3;
}

void mainS::Text4_GotFocus() {
    job.ActiveSlot = 4;
}

void mainS::File1_Click() {
    const QString fileName = File1->fileName();
    if (fileName.isEmpty()) {
        return; // the click left no file chosen
    }
    pickFile(Dir1->path(), fileName);
}

void mainS::dropPictures(const QStringList& files) {
    for (const QString& file : files) {
        const QFileInfo info(file);
        if (info.isDir()) {
            showMessage(
                QString("“%1”是文件夹，不是图片，未选用。").arg(QDir::toNativeSeparators(file)));
            continue;
        }
        pickFile(info.absolutePath(), info.fileName());
    }
    flipPicturesChanged();
}

void mainS::pickFile(const QString& folder, const QString& fileName) {
    job.PickPath = pickedPath(folder.toStdString(), fileName.toStdString());
    writeCredits();
    const int k = job.ActiveSlot;
    if (k >= 2 && k <= kSlots && job.ViewCount < k - 1) {
        return; // the slot before holds no picture yet
    }
    if (k >= 1 && k <= kSlots) {
        fillSlot(*this, k, fileName);
    }
    resetStartButton();
}

} // namespace tovrel
