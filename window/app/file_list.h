#pragma once
// The file list: the files of one folder whose names match "*.bmp", without
// regard to case, sorted by name. Choosing a file with the mouse or the arrow
// keys raises fileClicked.

#include <QListWidget>
#include <QString>

namespace tovrel {

class FileList : public QListWidget {
    Q_OBJECT
  public:
    explicit FileList(QWidget* parent = nullptr);

    static QString pattern() { return "*.bmp"; }

    // The listed folder, as an absolute path.
    QString path() const { return path_; }
    // Lists a folder. One that cannot be listed is reported through
    // listingFailed and leaves the list as it was. Returns whether the folder
    // is listed now.
    bool setPath(const QString& folder);
    // The chosen file's name without its folder; empty while none is chosen.
    QString fileName() const;

  signals:
    void pathChanged();
    void fileClicked();
    void listingFailed(const QString& message);

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void fill();

    QString path_;
};

} // namespace tovrel
