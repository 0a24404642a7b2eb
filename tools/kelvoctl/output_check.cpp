#include "tools/kelvoctl/output_check.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvo::ctl {

namespace fs = std::filesystem;

const char* DataFileExtensions() {
    return ".dat or .kelvo";
}

std::string CheckOutputPath(const std::string& path, bool dataFile) {
    const fs::path target(path);
    if (path.empty() || !target.has_filename())
        return "no file name";
    if (dataFile) {
        std::string extension = target.extension().string();
        std::transform(extension.begin(), extension.end(), extension.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (extension != ".dat" && extension != ".kelvo")
            return std::string("a data file needs the extension ") + DataFileExtensions();
    }
    const std::string directory =
        target.has_parent_path() ? target.parent_path().string() : std::string(".");
    struct stat st {};
    if (::stat(directory.c_str(), &st) != 0)
        return "the directory " + directory + " does not exist";
    if (!S_ISDIR(st.st_mode))
        return directory + " is not a directory";
    // The file is written next to its final place and renamed into it.
    if (::access(directory.c_str(), W_OK | X_OK) != 0)
        return "the directory " + directory + " is not writable (" + std::strerror(errno) + ")";
    if (::stat(path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return "it is a directory";
        // A log may go to a device such as /dev/stderr; a data file is
        // replaced through a temporary file, which needs a regular one.
        if (dataFile && !S_ISREG(st.st_mode))
            return "it is not a regular file";
        if (::access(path.c_str(), W_OK) != 0)
            return "the file is write-protected";
    }
    return {};
}

} // namespace kelvo::ctl
