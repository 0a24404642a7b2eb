#pragma once
// Conversion of old data for another device program. When the document's old
// data (OldEntries) come from one program of the device family and the device
// now runs another, the built-in table knows whether the pair can be
// converted; Convert then builds ConvertedEntries from the device's dialog
// and the old values, ready to be written into the device.
#include "model/kelvofile.h"
#include "online/kelvocv_records.h"

#include <cstdint>

namespace kelvo {

namespace conversion {
inline constexpr int NoOldData = -1;
inline constexpr int NoNewData = -2;
inline constexpr int NoMatchingRow = -3;

inline constexpr int NoSuchRow = -1;
inline constexpr int RoutineFailed = -3;
inline constexpr int SourceMissing = -10;
inline constexpr int TargetMissing = -11;
inline constexpr int ErrorRaised = -100;

inline constexpr int CandidateCountDiffers = -203;
inline constexpr int AddressDiffers = -204;
inline constexpr int KindDiffers = -205;
} // namespace conversion

// The table row for the document's old data and its downloaded dialog:
// -1 without old data, -2 without a dialog, -3 when no row fits.
int FindConversion(TFileTypeKelvo& document);
// Builds the document's ConvertedEntries by a table row: 1, or negative
// (-1 no such row, -3 the routine failed, -10 a copied old line is missing
// or blank, -11 its target is, -100 an error was raised on the way).
int Convert(TFileTypeKelvo& document, int row);

// The value of the key's old line; raises kelvo::Exception("OldValueLong")
// when that line or its value is missing.
std::int32_t OldValueLong(const TFileTypeKelvo& document, const TLineKey& key);
// Sets the key's converted line; raises kelvo::Exception("NewValueLong") when
// that line or its value is missing.
void NewValueLong(TFileTypeKelvo& document, const TLineKey& key, std::int32_t value);

// The line a key names: an ordinary line by its Address (the line behind a
// separator when the separator comes first); when the list has no ordinary
// line at that Address, the member of a repeated group with that Address and
// IndexI. Null when there is none.
TFileTypeKelvo::TEntry* FindKeyedLine(TFileTypeKelvo::TEntries& list, const TLineKey& key);
const TFileTypeKelvo::TEntry* FindKeyedLine(const TFileTypeKelvo::TEntries& list,
                                            const TLineKey& key);

// True when list holds the program the identification record names.
bool MatchesIdRecord(const TFileTypeKelvo::TEntries& list, const TIdRecord& record);

} // namespace kelvo
