#include "params/pitch_store.h"

#include "tests/params/data_file_maker.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

namespace tovrel {
namespace {

namespace fs = std::filesystem;

TEST(CheckOutputPath, RefusesEveryNameOfTheDataFileAndItsTemporaryFile) {
    test::TempDir dir;
    fs::create_directory(dir / "sub");
    test::writeDataFile(dir.path(), {0.5f});
    fs::create_hard_link(dir / "kvxj.dll", dir / "hard.tif");
    fs::create_symlink(dir / "kvxj.dll", dir / "link.tif");
    fs::create_directory_symlink(dir.path(), dir / "sub" / "up");
    const PitchStore store(dir.path());
    const struct {
        fs::path out;
        const char* own;
    } refused[] = {
        {dir / "kvxj.dll", "kvxj.dll"},
        {dir / "kvxj.dl~", "kvxj.dl~"},
        {dir / "." / "kvxj.dll", "kvxj.dll"},
        {dir / "sub" / ".." / "kvxj.dl~", "kvxj.dl~"},
        {dir / "sub" / "up" / "kvxj.dll", "kvxj.dll"},
        {dir / "hard.tif", "kvxj.dll"},
        {dir / "link.tif", "kvxj.dll"},
    };
    for (const auto& r : refused) {
        SCOPED_TRACE(r.out.string());
        const Status s = store.checkOutputPath(r.out);
        ASSERT_FALSE(s.isOk());
        EXPECT_NE(s.message().find(r.out.string()), std::string::npos) << s.message();
        EXPECT_NE(s.message().find(std::string("数据文件 ") + r.own), std::string::npos)
            << s.message();
    }
    for (const fs::path& fine : {dir / "kvxj.dll.tif", dir / "sub" / "kvxj.dll", dir / "KVXJ.DLL",
                                 dir / "out.tif", fs::path("/nonexistent/kvxj.dll")}) {
        SCOPED_TRACE(fine.string());
        EXPECT_TRUE(store.checkOutputPath(fine).isOk());
    }
}

TEST(CheckOutputPath, ARelativeNameIsTakenFromTheWorkingFolder) {
    test::TempDir dir;
    test::writeDataFile(dir.path(), {0.5f});
    const fs::path before = fs::current_path();
    fs::current_path(dir.path());
    const PitchStore store(dir.path());
    const Status data = store.checkOutputPath("kvxj.dll");
    const Status other = store.checkOutputPath("picture.tif");
    fs::current_path(before);
    EXPECT_FALSE(data.isOk());
    EXPECT_TRUE(other.isOk()) << other.message();
}

} // namespace
} // namespace tovrel
