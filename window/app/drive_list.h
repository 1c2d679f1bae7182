#pragma once
// The drive list: the mounted volumes, one of them chosen.

#include <QComboBox>
#include <QString>

namespace tovrel {

class DriveList : public QComboBox {
    Q_OBJECT
  public:
    explicit DriveList(QWidget* parent = nullptr);

    // The root folder of the chosen volume.
    QString path() const { return path_; }
    // Chooses the volume that holds the given file or folder.
    void setPath(const QString& anywhere);

  signals:
    void pathChanged();

  private:
    void choose(const QString& root);
    int indexOfRoot(const QString& root) const;

    QString path_;
};

} // namespace tovrel
