#include "report/whole_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace kelvo {

namespace fs = std::filesystem;

namespace {

std::string Reason(int error) {
    return std::strerror(error);
}

// The file a write replaces: an existing name with its symbolic links
// followed, so that exporting onto a link writes the file it leads to.
std::string WriteTarget(const std::string& path) {
    std::error_code error;
    if (fs::is_symlink(path, error)) {
        const fs::path resolved = fs::weakly_canonical(path, error);
        if (!error)
            return resolved.string();
    }
    return path;
}

} // namespace

std::string WriteWholeFile(const std::string& path, const std::string& text) {
    const std::string target = WriteTarget(path);
    struct stat st {};
    const bool exists = ::stat(target.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode))
        return "It is a folder.";
    if (exists && ::access(target.c_str(), W_OK) != 0)
        return "The file is write-protected.";
    const fs::path folder = fs::path(target).parent_path();
    std::string pattern = (folder.empty() ? std::string(".") : folder.string()) + "/TMPXXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0)
        return Reason(errno) + ".";
    const std::string temporary = name.data();
    // The new file takes the old one's permissions, or those of any new file.
    mode_t permissions = 0;
    if (exists) {
        permissions = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        permissions = 0666 & ~mask;
    }
    ::fchmod(fd, permissions);
    int failure = 0;
    std::size_t done = 0;
    while (failure == 0 && done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            failure = n < 0 ? errno : ENOSPC;
        else
            done += static_cast<std::size_t>(n);
    }
    if (failure == 0 && ::fsync(fd) != 0)
        failure = errno;
    if (::close(fd) != 0 && failure == 0)
        failure = errno;
    if (failure == 0 && ::rename(temporary.c_str(), target.c_str()) != 0)
        failure = errno;
    if (failure != 0) {
        ::unlink(temporary.c_str());
        return Reason(failure) + ".";
    }
    return {};
}

} // namespace kelvo
