#include "devicelink/port_diagnosis.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvo {

namespace {

std::string GroupHint(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return {};
    const group* owner = ::getgrgid(st.st_gid);
    if (!owner || st.st_gid == 0)
        return {};
    const std::string name = owner->gr_name;
    return " (join the group \"" + name + "\" that owns it: sudo usermod -aG " + name +
           " $USER, then log in again)";
}

} // namespace

std::string PortOpenFailureReason(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        switch (error) {
        case ENOENT:
        case ENOTDIR:
            return "no such file";
        case EACCES:
        case EPERM:
            return "permission denied" + GroupHint(path);
        case EBUSY:
            return "in use by another program";
        case EISDIR:
            return "not a terminal but a directory";
        case ENXIO:
        case ENODEV:
            return "no device is connected behind it";
        default:
            return std::strerror(error);
        }
    }
    std::string reason;
    if (!::isatty(fd)) {
        reason = "not a terminal";
    } else if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        reason = errno == EWOULDBLOCK ? "in use by another program" : std::strerror(errno);
    } else {
        ::flock(fd, LOCK_UN);
    }
    ::close(fd);
    return reason;
}

} // namespace kelvo
