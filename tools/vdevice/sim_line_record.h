#pragma once
// Dialog lines as the virtual device describes them: the three words, the
// caption, the value exactly as it travels on the link and the choice texts.
// Records are read and written by the parameter model's dialog line, so the
// device serves byte for byte what the program reads and saves.
#include "model/dlgline.h"
#include "model/record_codec.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kelvo {

using TBytes = std::vector<unsigned char>;

// Value kinds as Flags bits 8..11 hold them.
enum TSimKind : int {
    SkLong = KindLong,
    SkDouble = KindDouble,
    SkChoice = KindChoice,
    SkText = KindText,
    SkLabel = KindLabel
};

// Longest caption, text or choice text a record may carry (without its zero byte).
constexpr std::size_t MaxRecordText = record::MaxTextLength;

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

    int Kind() const { return KindOf(Flags); }
    bool HasValue() const { return IsValueKind(Kind()); }
    int GroupLevel() const { return GroupLevelOf(Layout); }
    bool IsGroupMember() const { return GroupLevel() == layout::LevelMember; }
    bool IsLive() const { return (Layout & layout::Live) != 0; }
    bool IsReadOnly() const { return (Flags & flags::ReadOnly) != 0; }

    static bool IsValueKind(int kind);
};

// Raw encodings of single values, little-endian; a text is cut to the longest a
// record carries. Reading takes the leading bytes and gives 0 when there are
// too few.
TBytes RawLong(std::int32_t value);
TBytes RawDouble(double value);
TBytes RawChoice(std::uint16_t index);
TBytes RawText(const std::string& text);
std::int32_t LongOfRaw(const TBytes& raw);
double DoubleOfRaw(const TBytes& raw);
std::uint16_t ChoiceOfRaw(const TBytes& raw);

// The bytes of a value as the device exchanges it on its own.
TBytes RawOf(const TDlglineValue& value);
// Takes raw into value: true when raw is exactly one value of the value's kind.
bool ValueFromRaw(TDlglineValue& value, const TBytes& raw);

// The same line in the parameter model, with raw as its value (a raw that is
// no value of the kind leaves the kind's fresh value).
TDlgline DlglineOf(const TSimLine& line, const TBytes& raw);
TDlgline DlglineOf(const TSimLine& line);
TSimLine SimLineOf(const TDlgline& line);

// Appends one record. A line whose kind has no value gets words and caption only.
void AppendLineRecord(TBytes& out, const TSimLine& line);
// Appends one record with another value in place of line.Raw.
void AppendLineRecord(TBytes& out, const TSimLine& line, const TBytes& raw);

TBytes WriteLineRecords(const std::vector<TSimLine>& lines);
// Every byte must belong to a complete record that writes back as the same
// bytes; otherwise nothing is returned and errorOffset (when given) tells
// where the bad record starts.
std::optional<std::vector<TSimLine>> ReadLineRecords(const TBytes& data,
                                                     std::size_t* errorOffset = nullptr);

} // namespace kelvo
