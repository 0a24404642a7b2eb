#include "tools/kelvo-sim/pty_link.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace kelvo {

namespace {
std::string Reason(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}
} // namespace

TPtyLink::~TPtyLink() {
    if (!FLink.empty())
        ::unlink(FLink.c_str());
    if (FSlave >= 0)
        ::close(FSlave);
    if (FMaster >= 0)
        ::close(FMaster);
}

bool TPtyLink::Open(const std::string& link, std::string& error) {
    FMaster = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (FMaster < 0 || ::grantpt(FMaster) != 0 || ::unlockpt(FMaster) != 0) {
        error = Reason("cannot create a pseudo-terminal");
        return false;
    }
    const char* name = ::ptsname(FMaster);
    if (!name) {
        error = Reason("ptsname");
        return false;
    }
    FSlavePath = name;
    FSlave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (FSlave < 0) {
        error = Reason(name);
        return false;
    }
    termios tio{};
    if (::tcgetattr(FSlave, &tio) != 0) {
        error = Reason("tcgetattr");
        return false;
    }
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cflag &= ~CRTSCTS;
    ::cfsetispeed(&tio, B115200);
    ::cfsetospeed(&tio, B115200);
    if (::tcsetattr(FSlave, TCSANOW, &tio) != 0) {
        error = Reason("tcsetattr");
        return false;
    }
    // A link left behind by an earlier run is replaced; anything else is not ours.
    struct stat st {};
    if (::lstat(link.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) {
            error = link + " exists and is not a symbolic link";
            return false;
        }
        ::unlink(link.c_str());
    }
    if (::symlink(name, link.c_str()) != 0) {
        error = Reason(link.c_str());
        return false;
    }
    FLink = link;
    return true;
}

void TPtyLink::LiftStaleExclusiveMark() {
#if defined(TIOCGEXCL) && defined(TIOCNXCL)
    int exclusive = 0;
    if (FSlave < 0 || ::ioctl(FSlave, TIOCGEXCL, &exclusive) != 0 || !exclusive)
        return;
    // Nobody opens the marked terminal without privilege, so no PC program can
    // be between its open and its lock while the lock is tried here.
    if (::flock(FSlave, LOCK_SH | LOCK_NB) != 0)
        return;
    ::flock(FSlave, LOCK_UN);
    ::ioctl(FSlave, TIOCNXCL);
#endif
}

} // namespace kelvo
