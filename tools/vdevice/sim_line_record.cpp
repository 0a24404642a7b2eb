#include "tools/vdevice/sim_line_record.h"

#include "model/dlglinevalue_choice.h"
#include "tools/vdevice/byte_reader.h"

#include <cstring>

namespace kelvo {

namespace {

TBytes BytesOf(const TMemoryStream& stream) {
    const std::uint8_t* begin = stream.Memory();
    return begin ? TBytes(begin, begin + stream.Length()) : TBytes{};
}

// Reads the leading bytes of raw into value; the value stays as it was when
// there are too few.
void ReadLeading(TDlglineValue& value, const TBytes& raw) {
    TStaticStreamBuffer reader = ByteReader(raw.data(), raw.size());
    value.ReadRaw(reader);
}

} // namespace

bool TSimLine::IsValueKind(int kind) {
    return TPtr<TDlglineValue>(NewDlglineValue(kind)).Get() != nullptr;
}

TBytes RawOf(const TDlglineValue& value) {
    TMemoryStream stream;
    value.WriteRaw(stream);
    return BytesOf(stream);
}

bool ValueFromRaw(TDlglineValue& value, const TBytes& raw) {
    TStaticStreamBuffer reader = ByteReader(raw.data(), raw.size());
    return value.ReadRaw(reader) >= 0 && BytesLeft(reader) == 0;
}

TBytes RawLong(std::int32_t value) {
    TDlglineValueLong v;
    v.Value = value;
    return RawOf(v);
}

TBytes RawDouble(double value) {
    TDlglineValueDouble v;
    v.Value = value;
    return RawOf(v);
}

TBytes RawChoice(std::uint16_t index) {
    TDlglineValueChoice v;
    v.Index = index;
    return RawOf(v);
}

TBytes RawText(const std::string& text) {
    TDlglineValueText v;
    v.SetText(text);
    return RawOf(v);
}

std::int32_t LongOfRaw(const TBytes& raw) {
    TDlglineValueLong v;
    ReadLeading(v, raw);
    return v.Value;
}

double DoubleOfRaw(const TBytes& raw) {
    TDlglineValueDouble v;
    ReadLeading(v, raw);
    return v.Value;
}

std::uint16_t ChoiceOfRaw(const TBytes& raw) {
    TDlglineValueChoice v;
    ReadLeading(v, raw);
    return v.Index;
}

TDlgline DlglineOf(const TSimLine& line, const TBytes& raw) {
    TDlgline d;
    d.Address = line.Address;
    d.Flags = line.Flags;
    d.Layout = line.Layout;
    d.SetCaptionText(line.Caption);
    if (d.CreateValue(line.Kind()) < 0)
        return d;
    if (auto* choice = dynamic_cast<TDlglineValueChoice*>(d.Value.Get()))
        choice->SetChoices(line.Choices);
    ValueFromRaw(*d.Value, raw);
    return d;
}

TDlgline DlglineOf(const TSimLine& line) {
    return DlglineOf(line, line.Raw);
}

TSimLine SimLineOf(const TDlgline& d) {
    TSimLine line;
    line.Address = d.Address;
    line.Flags = d.Flags;
    line.Layout = d.Layout;
    line.Caption = d.CaptionText();
    if (!d.Value)
        return line;
    line.Raw = RawOf(*d.Value);
    if (const auto* choice = dynamic_cast<const TDlglineValueChoice*>(d.Value.Get())) {
        for (int n = 0; n < choice->ChoiceCount(); ++n)
            line.Choices.push_back(choice->ChoiceText(n));
    }
    return line;
}

void AppendLineRecord(TBytes& out, const TSimLine& line) {
    AppendLineRecord(out, line, line.Raw);
}

void AppendLineRecord(TBytes& out, const TSimLine& line, const TBytes& raw) {
    TMemoryStream stream;
    // A line without value class ends after its caption, which is all it has.
    DlglineOf(line, raw).Write(stream);
    const TBytes record = BytesOf(stream);
    out.insert(out.end(), record.begin(), record.end());
}

TBytes WriteLineRecords(const std::vector<TSimLine>& lines) {
    TBytes out;
    for (const TSimLine& line : lines)
        AppendLineRecord(out, line);
    return out;
}

std::optional<std::vector<TSimLine>> ReadLineRecords(const TBytes& data, std::size_t* errorOffset) {
    std::vector<TSimLine> lines;
    TStaticStreamBuffer reader = ByteReader(data.data(), data.size());
    while (BytesLeft(reader) > 0) {
        const auto start = static_cast<std::size_t>(reader.Offset());
        TDlgline line;
        bool good = line.Read(reader) >= 0;
        if (good) {
            // A text longer than a record may carry is cut when read, and its
            // rest would pass for the next record; only a record that writes
            // back as the same bytes is what the file meant.
            TMemoryStream again;
            line.Write(again);
            const std::size_t size = static_cast<std::size_t>(reader.Offset()) - start;
            good = std::size_t(again.Length()) == size &&
                   std::memcmp(again.Memory(), data.data() + start, size) == 0;
        }
        if (!good) {
            if (errorOffset)
                *errorOffset = start;
            return std::nullopt;
        }
        lines.push_back(SimLineOf(line));
    }
    return lines;
}

} // namespace kelvo
