#include "tools/kelvoctl/program_record.h"

#include "report/text_formats.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvo::ctl {

namespace {

std::string OrNull(const std::string& text) {
    return text.empty() ? std::string("null") : JsonString(text);
}

} // namespace

std::string RecordTime() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

std::string RecordLine(const TRecordEntry& e) {
    return "{\"time\":" + JsonString(e.Time) + ",\"port\":" + JsonString(e.Port) +
           ",\"program_name\":" + OrNull(e.ProgramName) +
           ",\"serial_number\":" + OrNull(e.SerialNumber) + ",\"file\":" + JsonString(e.File) +
           ",\"sha256\":" + OrNull(e.Sha256) + ",\"verdict\":" + JsonString(e.Verdict) +
           ",\"lines_written\":" + std::to_string(e.LinesWritten) +
           ",\"read_back\":" + JsonString(e.ReadBack) +
           ",\"differing\":" + std::to_string(e.Differing) +
           ",\"program\":" + JsonString(e.Program) + ",\"device\":" + JsonString(e.Device) +
           ",\"exit\":" + std::to_string(e.Exit) + "}\n";
}

TProgramRecord::~TProgramRecord() {
    if (FFd >= 0)
        ::close(FFd);
}

std::string TProgramRecord::Open(const std::string& path) {
    FFd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (FFd < 0)
        return std::strerror(errno);
    struct stat st {};
    if (::fstat(FFd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(FFd);
        FFd = -1;
        return "not a regular file";
    }
    return {};
}

std::string TProgramRecord::Append(const TRecordEntry& entry) {
    const std::string line = RecordLine(entry);
    const std::lock_guard<std::mutex> lock(FMutex);
    if (FFd < 0)
        return "the record is not open";
    // One write with O_APPEND: lines of runs in other processes do not mix in.
    const ssize_t n = ::write(FFd, line.data(), line.size());
    if (n != static_cast<ssize_t>(line.size()))
        return n < 0 ? std::strerror(errno) : "the disk took only part of the line";
    if (::fsync(FFd) != 0 && errno != EINVAL)
        return std::strerror(errno);
    return {};
}

} // namespace kelvo::ctl
