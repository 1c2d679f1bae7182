#include "app/main_window.h"

#include <gtest/gtest.h>

namespace tovrel {
namespace {

TEST(MainWindow, OpensWithItsCaption) {
    mainS window(std::filesystem::temp_directory_path());
    EXPECT_EQ(window.windowTitle(), QString("Tovrel V2.1"));
    EXPECT_EQ(window.objectName(), QString("mainS"));
}

} // namespace
} // namespace tovrel
