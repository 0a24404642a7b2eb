#pragma once
// Snapshots: the device's set saved as a data file before anything writes
// into the device, so that the previous state can be had back. They live in
// $XDG_DATA_HOME/kelvo/snapshots (~/.local/share when XDG_DATA_HOME is unset
// or not absolute), named by the time (UTC), the port and the device
// program's name; the newest 200 are kept.
#include "model/kelvofile.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kelvo {

inline constexpr std::size_t SnapshotsKept = 200;

// The folder the snapshots go to (not created here).
std::string SnapshotFolder();

struct TSnapshotResult {
    // The file written; empty when the snapshot failed.
    std::string Path;
    // Why it failed ("cannot create /x/y: Permission denied").
    std::string Error;
    bool Ok() const { return !Path.empty(); }
};

// Saves the document's lines as a data file in folder (the snapshot folder
// when empty), port naming where the device is ("COM3", "/dev/ttyUSB0").
// The file is complete on disk (synced) before this returns success; then
// only the newest keep snapshots stay.
TSnapshotResult SaveSnapshot(const TFileTypeKelvo& device, const std::string& port,
                             const std::string& folder = {}, std::size_t keep = SnapshotsKept);

struct TSnapshotInfo {
    std::string Path;
    std::string FileName;
    // "2026-12-08 10:15:02 UTC", from the name.
    std::string Time;
    std::uintmax_t Size = 0;
};
// The snapshots in folder (the snapshot folder when empty), newest first.
std::vector<TSnapshotInfo> ListSnapshots(const std::string& folder = {});

} // namespace kelvo
