#pragma once
// The record of program runs (--record FILE): one JSON object per device and
// run, appended as a line, for the technician's proof of what each device
// received. The file is opened before any device is touched, so that a
// record that cannot be kept stops the job first.
#include <cstddef>
#include <mutex>
#include <string>

namespace kelvo::ctl {

struct TRecordEntry {
    std::string Time; // UTC, ISO 8601
    std::string Port;
    std::string ProgramName;  // the device program's name; empty when unknown
    std::string SerialNumber; // empty when the dialog has no serial number line
    std::string File;
    std::string Sha256;
    std::string Verdict; // how the go-online dialogue ended
    std::size_t LinesWritten = 0;
    std::string ReadBack; // equal, differs, unreadable, not-checked
    std::size_t Differing = 0;
    std::string Program; // success, failed, not-run
    std::string Device;  // what the device holds at the end
    int Exit = 0;
};

// The entry as one JSON line (with its "\n").
std::string RecordLine(const TRecordEntry& entry);
// The time now as the record writes it ("2026-12-08T10:15:02Z").
std::string RecordTime();

class TProgramRecord {
public:
    TProgramRecord() = default;
    ~TProgramRecord();
    TProgramRecord(const TProgramRecord&) = delete;
    TProgramRecord& operator=(const TProgramRecord&) = delete;

    // Opens (creates) path for appending; empty on success, else why not.
    std::string Open(const std::string& path);
    bool IsOpen() const { return FFd >= 0; }
    // Appends the entry in one write and syncs it; safe from several
    // threads. Empty on success, else why not.
    std::string Append(const TRecordEntry& entry);

private:
    int FFd = -1;
    std::mutex FMutex;
};

} // namespace kelvo::ctl
