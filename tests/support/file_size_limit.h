#pragma once
// Files stop growing past a byte limit while one of these exists, the way a
// full disk stops them: a write past it fails (EFBIG) instead of the process
// being stopped by SIGXFSZ.
#include <csignal>
#include <sys/resource.h>

namespace kelvo::test {

class TFileSizeLimit {
public:
    explicit TFileSizeLimit(rlim_t bytes) {
        SavedHandler = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &Saved);
        rlimit limited = Saved;
        limited.rlim_cur = bytes;
        Active = ::setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~TFileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &Saved);
        std::signal(SIGXFSZ, SavedHandler);
    }
    TFileSizeLimit(const TFileSizeLimit&) = delete;
    TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;
    bool Active = false;

private:
    rlimit Saved{};
    void (*SavedHandler)(int) = nullptr;
};

} // namespace kelvo::test
