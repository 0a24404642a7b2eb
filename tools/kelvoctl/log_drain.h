#pragma once
// The transfer log of a whole run in a file. The stream keeps its log in a
// bounded ring that drops the oldest exchanges; for --log every exchange of
// the run is wanted, so the new records are rendered into the file after
// every exchange, long before the ring could drop them, and numbered on
// from the file's last entry.
#include "devicelink/kelvostream.h"

#include <cstdint>
#include <fstream>
#include <string>

namespace kelvo::ctl {

class TLogDrain {
public:
    TLogDrain(const TKelvoStream& stream, std::string path);
    TLogDrain(const TLogDrain&) = delete;
    TLogDrain& operator=(const TLogDrain&) = delete;

    // Appends the records that came since the last call.
    void Drain();
    // Drains and closes the file; false (said on standard error) when it
    // could not be written.
    bool Close();

    std::int64_t Entries() const { return FNumber; }

private:
    const TKelvoStream& FStream;
    std::string FPath;
    std::ofstream FFile;
    bool FClosed = false;
    std::int64_t FNumber = 0;
    // The newest record drained: its time stamp and length.
    std::int64_t FLastStamp = -1;
    std::int32_t FLastLength = -1;
};

} // namespace kelvo::ctl
