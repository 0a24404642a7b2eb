#pragma once
// A deliberately small reader and writer of dialog line records for the virtual
// device. The device only needs the words, the caption, the raw value bytes and
// the choice texts; the full parameter model lives elsewhere and can take over.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kelvo {

using TBytes = std::vector<unsigned char>;

// Value kinds as Flags bits 8..11 hold them.
enum TSimKind : int { SkLong = 0, SkDouble = 1, SkChoice = 2, SkText = 3, SkLabel = 15 };

// Longest caption, text or choice text a record may carry (without its zero byte).
constexpr std::size_t MaxRecordText = 260;

struct TSimLine {
    std::uint16_t Address = 0;
    std::uint16_t Flags = 0;
    std::uint16_t Layout = 0;
    std::string Caption;
    // The value exactly as it travels on the link: Long 4 bytes, Double 8, Choice 2
    // (the index), Text its characters and the zero byte, Label nothing.
    TBytes Raw;
    // Choice texts; they travel only inside a full record.
    std::vector<std::string> Choices;

    int Kind() const { return (Flags >> 8) & 0x0F; }
    bool HasValue() const { return IsValueKind(Kind()); }
    int GroupLevel() const { return (Layout >> 10) & 7; }
    bool IsGroupMember() const { return GroupLevel() == 2; }
    bool IsLive() const { return (Layout & 0xC000) != 0; }
    bool IsReadOnly() const { return (Flags & 0x2000) != 0; }

    static bool IsValueKind(int kind);
};

// Raw encodings of single values, little-endian.
TBytes RawLong(std::int32_t value);
TBytes RawDouble(double value);
TBytes RawChoice(std::uint16_t index);
TBytes RawText(const std::string& text);
std::int32_t LongOfRaw(const TBytes& raw);
double DoubleOfRaw(const TBytes& raw);
std::uint16_t ChoiceOfRaw(const TBytes& raw);

// Appends one record. A line whose kind has no value gets words and caption only.
void AppendLineRecord(TBytes& out, const TSimLine& line);
// Appends one record with another value in place of line.Raw.
void AppendLineRecord(TBytes& out, const TSimLine& line, const TBytes& raw);

// Reads one record at pos and advances pos. Returns false (pos unchanged) when the
// record is truncated, its caption is empty or too long, a text is unterminated
// within its limit, or its kind has no value.
bool ParseLineRecord(const TBytes& data, std::size_t& pos, TSimLine& line);

TBytes WriteLineRecords(const std::vector<TSimLine>& lines);
// Every byte must belong to a complete record; otherwise nothing is returned and
// errorOffset (when given) tells where the bad record starts.
std::optional<std::vector<TSimLine>> ReadLineRecords(const TBytes& data,
                                                     std::size_t* errorOffset = nullptr);

} // namespace kelvo
