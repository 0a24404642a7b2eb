#pragma once
// The byte layout of a dialog line record, shared by the device's dialog
// download and the data file, and of the values inside it. Everything is
// little-endian; texts are single bytes ended by one zero byte.
//
// Results follow one rule throughout: a count of bytes moved (0 or more) on
// success, -1 when nothing could be moved (a bad length), -2 when the stream
// delivered or took fewer bytes than asked, -3 when a text was shorter than
// its minimum (or, for a choice list, when it holds more choices than any
// index can reach).
#include "foundation/stream.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace kelvo::record {

inline constexpr int BadLength = -1;
inline constexpr int ShortTransfer = -2;
inline constexpr int TextTooShort = -3;

// No text in a record is longer than this; longer texts are cut when read.
inline constexpr int MaxTextLength = 260;
// The three definition words at the start of a line record.
inline constexpr int WordsSize = 6;
// A choice index is 16 bits, so no list can usefully hold more choices than
// this; a record claiming more is malformed rather than a reason to allocate.
inline constexpr int MaxChoices = 65536;
inline constexpr int TooManyChoices = -3;

// Moves exactly count bytes; on a short read the destination is left as it was.
int ReadBytes(TStream& stream, void* buffer, int count);
int WriteBytes(TStream& stream, const void* buffer, int count);

int ReadU16(TStream& stream, std::uint16_t& value);
int WriteU16(TStream& stream, std::uint16_t value);
int ReadI32(TStream& stream, std::int32_t& value);
int WriteI32(TStream& stream, std::int32_t value);
int ReadDouble(TStream& stream, double& value);
int WriteDouble(TStream& stream, double value);

// Reads a zero-terminated text of minLength to maxLength characters. A text
// that runs on beyond maxLength is cut there and the rest stays in the
// stream where the stream can step back one byte. On failure text is unchanged.
int ReadText(TStream& stream, std::string& text, int minLength = 0, int maxLength = MaxTextLength);
// Writes at most maxLength characters and the zero byte, so that whatever is
// written can be read back as one text.
int WriteText(TStream& stream, std::string_view text, int maxLength = MaxTextLength);

// Little-endian packing, usable on any buffer.
void PutU16(std::uint8_t* at, std::uint16_t value);
std::uint16_t GetU16(const std::uint8_t* at);

} // namespace kelvo::record
