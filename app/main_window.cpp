#include "app/main_window.h"

namespace tovrel {

mainS::mainS(std::filesystem::path dataFolder, QWidget* parent)
    : QWidget(parent), dataFolder_(std::move(dataFolder)) {
    setObjectName("mainS");
    setWindowTitle("Tovrel V2.1");
}

} // namespace tovrel
