#pragma once
// Files of this process may not grow beyond a size while a FileSizeLimit
// lives, as on a full disk: writes past it fail with EFBIG instead of raising
// SIGXFSZ, which is ignored meanwhile.

#include <csignal>
#include <sys/resource.h>

namespace tovrel::test {

class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    rlimit saved_{};
    void (*handler_)(int);
};

} // namespace tovrel::test
