// "多帧…" in the "更多…" menu: opens the frames dialog over the window.

#include "app/main_window.h"

#include "app/folder_list.h"
#include "app/frames_dialog.h"

#include <QLineEdit>

namespace tovrel {

void mainS::ActionFrames_Click() {
    FramesDialog::Window window;
    window.settings = settingsTexts();
    window.dataFolder = dataFolder();
    window.cache = &pictureCache_;
    window.folder = Dir1->path();
    window.output = TextOUT->text() == "输出文件" ? QString() : TextOUT->text();
    window.showMessage = [this](const QString& text) { showMessage(text); };
    auto* dialog = new FramesDialog(std::move(window), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->show();
}

} // namespace tovrel
