#pragma once
// The program's one window.

#include "app/job_state.h"

#include <QString>
#include <QWidget>
#include <filesystem>

namespace tovrel {

class mainS : public QWidget {
    Q_OBJECT
  public:
    // dataFolder is the folder that holds the data file kvxj.dll.
    explicit mainS(std::filesystem::path dataFolder, QWidget* parent = nullptr);

    JobState job;

  private:
    std::filesystem::path dataFolder_;
};

} // namespace tovrel
