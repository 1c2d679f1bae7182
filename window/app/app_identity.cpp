#include "app/app_identity.h"

#include <QGuiApplication>

namespace tovrel {

void nameApplication() {
    QCoreApplication::setOrganizationName("tovrel");
    QCoreApplication::setApplicationName("tovrel");
    QGuiApplication::setDesktopFileName("tovrel");
}

} // namespace tovrel
