#pragma once
// One value written into a device, as the change journal keeps it: who wrote
// what into which device, when, from where, and what the device made of it.
// Texts are UTF-8, values as the list shows them.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kelvo {

// What reading the line back after the write showed.
enum class TJournalResult {
    Equal,     // the device holds the new value
    Refused,   // the device did not take the write
    Different, // the device took the write but holds another value
    Written,   // the device took the write; it was not read back (the old
               // data of going online, a read-back that failed)
};

// What wrote the value.
enum class TJournalSource {
    Edit,     // a value edited in an editor window
    Undo,     // Undo in an editor window
    Redo,     // Redo in an editor window
    OldData,  // the go-online dialogue writing the old data
    Compare,  // Write Checked of the compare table
    Kelvoctl, // kelvoctl set or program
};

// The names the journal stores and prints: "equal", "refused", "different",
// "written";
// "edit", "undo", "redo", "old data", "compare", "kelvoctl".
const char* ResultName(TJournalResult result);
const char* SourceName(TJournalSource source);
std::optional<TJournalResult> ResultFromName(std::string_view name);
std::optional<TJournalSource> SourceFromName(std::string_view name);

struct TJournalEntry {
    // Given by the journal when the entry is recorded.
    std::int64_t Id = 0;
    // "2026-12-09T06:24:24.123Z" (UTC); the time of recording when empty.
    std::string Time;
    // The user's login name and the machine's name; this process's when empty.
    std::string Login;
    std::string Host;
    // Where the device is: "COM3" or a device path.
    std::string Port;
    // The device program's name and serial number when the dialog has those
    // lines; empty otherwise.
    std::string Program;
    std::string Serial;
    std::uint16_t Address = 0;
    // The instance of a repeated group, from 0; 0 for other lines.
    std::int32_t Instance = 0;
    std::string Caption;
    std::string OldValue;
    std::string NewValue;
    TJournalResult Result = TJournalResult::Equal;
    TJournalSource Source = TJournalSource::Edit;
};

// "0x0025", or "0x0063:1" for a line of a repeated group past its first
// instance: the KEY kelvoctl takes for the line.
std::string JournalKey(const TJournalEntry& entry);

// The time now as the journal writes it.
std::string JournalTimeNow();
// A date as the user gives it ("2026-12-09", "2026-12-09 14:30",
// "2026-12-09T14:30:05Z"), in UTC, as the first moment it names in the
// journal's form; nothing when it is not such a date.
std::optional<std::string> JournalTimeFromDate(std::string_view date);

// This process's login name ("unknown" when there is none) and host name.
std::string LoginName();
std::string HostName();

} // namespace kelvo
