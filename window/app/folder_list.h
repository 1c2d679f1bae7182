#pragma once
// The folder list: the open folder's ancestors from the root down, the open
// folder itself, then its subfolders. Double-clicking an entry, or pressing
// Enter on it, opens that folder.

#include <QListWidget>
#include <QString>

namespace tovrel {

class FolderList : public QListWidget {
    Q_OBJECT
  public:
    explicit FolderList(QWidget* parent = nullptr);

    // The open folder, as an absolute path.
    QString path() const { return path_; }
    // Opens a folder. One that cannot be listed is reported through
    // listingFailed and leaves the list as it was. Returns whether the folder
    // is open now.
    bool setPath(const QString& folder);

  signals:
    void pathChanged();
    void listingFailed(const QString& message);

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void open(QListWidgetItem* item);
    void fill();

    QString path_;
};

} // namespace tovrel
