#include "snapshots/snapshots.h"

#include "foundation/codepage.h"
#include "foundation/stream.h"
#include "foundation/user_folders.h"
#include "model/device_identity.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace kelvo {

namespace fs = std::filesystem;

namespace {

constexpr const char* Suffix = ".dat";

// A piece of a file name: letters, digits, '.', '_' and '-' stay, anything
// else (spaces, slashes) becomes '_'.
std::string NamePart(const std::string& text) {
    std::string out;
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        out += (std::isalnum(c) || ch == '.' || ch == '-') ? ch : '_';
    }
    while (!out.empty() && out.front() == '_')
        out.erase(out.begin());
    return out.empty() ? "unknown" : out;
}

// "20261208-101502Z" and its milliseconds, in UTC so that the names sort.
std::string TimeStamp() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t t = std::chrono::system_clock::to_time_t(now);
    std::tm utc{};
    gmtime_r(&t, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &utc);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000;
    char withMs[40];
    std::snprintf(withMs, sizeof withMs, "%s.%03dZ", text, static_cast<int>(ms));
    return withMs;
}

bool IsSnapshotName(const std::string& name) {
    // 20261208-101502.123Z-...
    return name.size() > 21 && name.compare(name.size() - 4, 4, Suffix) == 0 &&
           std::isdigit(static_cast<unsigned char>(name[0])) && name[8] == '-' && name[19] == 'Z' &&
           name[20] == '-';
}

std::string Why(const std::string& what, const std::string& path) {
    return "cannot " + what + " " + path + ": " + std::strerror(errno);
}

// Writes bytes to path through a temporary file in the same folder, synced
// before it takes the name, so that a snapshot is whole or absent.
std::string WriteWhole(const std::string& path, const std::uint8_t* bytes, std::size_t size) {
    const std::string temporary = path + ".part";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return Why("create", temporary);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, bytes + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const std::string why = Why("write", temporary);
            ::close(fd);
            ::unlink(temporary.c_str());
            return why;
        }
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0) {
        const std::string why = Why("write", temporary);
        ::close(fd);
        ::unlink(temporary.c_str());
        return why;
    }
    ::close(fd);
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        const std::string why = Why("rename", temporary);
        ::unlink(temporary.c_str());
        return why;
    }
    return {};
}

void KeepNewest(const std::string& folder, std::size_t keep) {
    const std::vector<TSnapshotInfo> all = ListSnapshots(folder);
    for (std::size_t i = keep; i < all.size(); ++i) {
        std::error_code ignored;
        fs::remove(all[i].Path, ignored);
    }
}

} // namespace

std::string SnapshotFolder() {
    return UserFolder("XDG_DATA_HOME", ".local/share") + "/kelvo/snapshots";
}

TSnapshotResult SaveSnapshot(const TFileTypeKelvo& device, const std::string& port,
                             const std::string& folderGiven, std::size_t keep) {
    TSnapshotResult result;
    const std::string folder = folderGiven.empty() ? SnapshotFolder() : folderGiven;
    if (device.Entries.empty()) {
        result.Error = "the device's set is empty";
        return result;
    }
    std::error_code error;
    fs::create_directories(folder, error);
    if (error || !fs::is_directory(folder)) {
        result.Error = "cannot create the folder " + folder + ": " +
                       (error ? error.message() : std::string("not a folder"));
        return result;
    }
    TMemoryStream records;
    for (const TFileTypeKelvo::TEntry& entry : device.Entries)
        if (!entry.IsBlank() && entry.Write(records) < 0) {
            result.Error = "a line of the device's set cannot be written";
            return result;
        }
    std::string program = OemToUtf8(FindDeviceIdentity(device).Program);
    const std::string stem = folder + "/" + TimeStamp() + "-" + NamePart(port) + "-" +
                             NamePart(program.empty() ? "unknown" : program);
    // Two snapshots of one port within a millisecond get numbered.
    std::string path = stem + Suffix;
    for (int n = 2; fs::exists(path, error) || fs::exists(path + ".part", error); ++n)
        path = stem + "-" + std::to_string(n) + Suffix;
    const std::string why =
        WriteWhole(path, records.Memory(), static_cast<std::size_t>(records.Size()));
    if (!why.empty()) {
        result.Error = why;
        return result;
    }
    result.Path = path;
    KeepNewest(folder, keep);
    return result;
}

std::vector<TSnapshotInfo> ListSnapshots(const std::string& folderGiven) {
    const std::string folder = folderGiven.empty() ? SnapshotFolder() : folderGiven;
    std::vector<TSnapshotInfo> all;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (!IsSnapshotName(name) || !it->is_regular_file(error))
            continue;
        TSnapshotInfo info;
        info.Path = it->path().string();
        info.FileName = name;
        info.Time = name.substr(0, 4) + "-" + name.substr(4, 2) + "-" + name.substr(6, 2) + " " +
                    name.substr(9, 2) + ":" + name.substr(11, 2) + ":" + name.substr(13, 2) +
                    " UTC";
        info.Size = it->file_size(error);
        all.push_back(std::move(info));
    }
    std::sort(all.begin(), all.end(), [](const TSnapshotInfo& a, const TSnapshotInfo& b) {
        return a.FileName > b.FileName;
    });
    return all;
}

} // namespace kelvo
