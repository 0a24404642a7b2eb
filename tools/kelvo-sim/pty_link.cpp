#include "tools/kelvo-sim/pty_link.h"

#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
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
    if (FClaim >= 0)
        ::close(FClaim);
    if (FSlave >= 0)
        ::close(FSlave);
    if (FMaster >= 0)
        ::close(FMaster);
}

// Each simulator binds a name made from the link's absolute path in the
// abstract socket namespace. The kernel frees the name when the process ends,
// however it ends, so a link whose simulator was killed can be taken over,
// while one that is served cannot be taken away from its simulator.
bool TPtyLink::Claim(const std::string& link, std::string& error) {
    const std::size_t slash = link.rfind('/');
    const std::string directory = slash == std::string::npos ? "."
                                  : slash == 0               ? "/"
                                                             : link.substr(0, slash);
    char resolved[PATH_MAX];
    if (!::realpath(directory.c_str(), resolved)) {
        error = Reason(directory.c_str());
        return false;
    }
    std::string name = std::string("kelvo-sim:") + resolved + "/" +
                       (slash == std::string::npos ? link : link.substr(slash + 1));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (name.size() >= sizeof address.sun_path - 1) {
        char hashed[48];
        std::snprintf(hashed, sizeof hashed, "kelvo-sim:%zx", std::hash<std::string>{}(name));
        name = hashed;
    }
    // The leading zero byte puts the name in the abstract namespace.
    std::memcpy(address.sun_path + 1, name.data(), name.size());
    FClaim = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (FClaim < 0) {
        error = Reason("socket");
        return false;
    }
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    if (::bind(FClaim, reinterpret_cast<const sockaddr*>(&address), length) != 0) {
        error = errno == EADDRINUSE ? link + " is served by another kelvo-sim"
                                    : Reason("cannot claim the link");
        return false;
    }
    return true;
}

bool TPtyLink::Open(const std::string& link, std::string& error) {
    if (!Claim(link, error))
        return false;
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
