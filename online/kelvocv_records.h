#pragma once
// The stored forms of the conversion table: line keys, set and copy records,
// identification records and the table rows that tie them together. The
// records are little-endian byte strings so that the table holds exactly
// what a device family's documentation lists.
#include <cstdint>

namespace kelvo {

class TFileTypeKelvo;

// Finds a line: Address, then IndexI, IndexJ and IndexK.
struct TLineKey {
    std::uint16_t Address = 0;
    std::int32_t IndexI = 0;
    std::int32_t IndexJ = 0;
    std::int32_t IndexK = 0;
};

namespace cvrecord {
inline constexpr int KeySize = 14;
// A key, then the value the new line takes.
inline constexpr int SetSize = KeySize + 4;
// Two keys: the line that gives its value, then the line that takes it.
inline constexpr int CopySize = 2 * KeySize;

TLineKey GetKey(const std::uint8_t* at);
std::int32_t GetI32(const std::uint8_t* at);
// Set and copy lists end with a record whose first key has a negative IndexI.
inline bool IsListEnd(const std::uint8_t* record) {
    return GetI32(record + 2) < 0;
}
} // namespace cvrecord

// A complete line record naming a device program.
struct TIdRecord {
    const std::uint8_t* Bytes;
    std::int32_t Size;
};

// Returns 1 or more on success.
using TConversionRoutine = int (*)(TFileTypeKelvo& document);

struct TConversionRow {
    // Null-terminated lists; a row with null OldIds ends the table.
    const TIdRecord* const* OldIds;
    const TIdRecord* const* NewIds;
    TConversionRoutine Routine;
    const std::uint8_t* SetRecords;
    const std::uint8_t* CopyRecords;
    // The second key of a copy record names the old line, the first the new one.
    bool Reverse;
};

// The built-in table, ended by a row with null OldIds.
const TConversionRow* ConversionTable();
int ConversionTableRows();

} // namespace kelvo
