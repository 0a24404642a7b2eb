#pragma once
// What the change journal takes from a loaded Kelvo document: which device it
// is (the device program's name and the serial number, when its dialog has
// those lines) and how a line and its value are named, all as the list shows
// them, in UTF-8.
#include "model/kelvofile.h"

#include <cstdint>
#include <string>

namespace kelvo {

struct TJournalDevice {
    // "COM3" or the device path; empty when the document is on no port.
    std::string Port;
    std::string Program;
    std::string Serial;
};

// The device of document on port: the values of its "Programmname" line and
// of its serial number line ("Serial number", "Seriennummer"), the lines the
// snapshots name a device by.
TJournalDevice JournalDevice(const TFileTypeKelvo& document, std::string port);

struct TJournalLine {
    std::uint16_t Address = 0;
    // The instance of a repeated group, from 0; 0 for other lines.
    std::int32_t Instance = 0;
    std::string Caption;
};

// The line as the journal names it: its address, its instance and its
// caption as the list shows it.
TJournalLine JournalLine(const TFileTypeKelvo::TEntry& line);
// The line's value as the list shows it; empty for a line without value.
std::string ShownValue(const TFileTypeKelvo::TEntry& line);

} // namespace kelvo
