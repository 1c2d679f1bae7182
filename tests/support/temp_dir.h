#pragma once
// A fresh folder under the system's temporary folder, removed with everything
// in it when the test is done.

#include <filesystem>
#include <string>
#include <vector>

namespace tovrel::test {

class TempDir {
  public:
    TempDir();
    // A folder inside parent instead (a memory-backed one makes many small
    // synced writes cheap).
    explicit TempDir(const std::filesystem::path& parent);
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

  private:
    std::filesystem::path path_;
};

std::vector<unsigned char> readFile(const std::filesystem::path& file);
void writeFile(const std::filesystem::path& file, const std::vector<unsigned char>& bytes);

} // namespace tovrel::test
