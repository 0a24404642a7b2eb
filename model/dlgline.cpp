#include "model/dlgline.h"

#include "model/caption_expansion.h"
#include "model/record_codec.h"

#include <cstring>

namespace kelvo {

namespace {

constexpr char CaptionCategory = 'T';

void PackWords(std::uint8_t* at, std::uint16_t address, std::uint16_t flagsWord,
               std::uint16_t layoutWord) {
    record::PutU16(at, address);
    record::PutU16(at + 2, flagsWord);
    record::PutU16(at + 4, layoutWord);
}

} // namespace

TDlgline::TDlgline(const std::uint8_t* productionMode)
    : ProductionMode(productionMode), Caption(std::string(1, CaptionCategory)) {}

TDlgline::TDlgline(const TDlgline& other) : ProductionMode(nullptr) {
    *this = other;
}

TDlgline::~TDlgline() = default;

TDlgline& TDlgline::operator=(const TDlgline& other) {
    if (this == &other)
        return *this;
    Address = other.Address;
    Flags = other.Flags;
    Layout = other.Layout;
    Caption = other.Caption;
    IndexI = other.IndexI;
    IndexJ = other.IndexJ;
    IndexK = other.IndexK;
    ProductionMode = other.ProductionMode;
    // The copy's value is of the source value's own class: Flags may name
    // another kind (or none) after someone changed them, and assigning across
    // classes is not possible.
    if (other.Value) {
        TPtr<TDlglineValue> copy(NewDlglineValue(other.Value->Kind()));
        copy->Assign(*other.Value);
        Value = std::move(copy);
    } else {
        Value.Reset();
    }
    return *this;
}

void TDlgline::SetCaptionText(std::string_view text) {
    // The category stays, and so does the translation index: whoever reads a
    // new caption looks it up again anyway.
    const int index = Caption.TranslationIndex();
    std::string full(1, Caption.Category() ? Caption.Category() : CaptionCategory);
    full += text;
    Caption.SetText(std::move(full));
    Caption.SetTranslationIndex(index);
}

int TDlgline::Read(TStream& stream) {
    Value.Reset();
    std::uint8_t words[record::WordsSize];
    if (stream.Read(words, record::WordsSize) != record::WordsSize)
        return -1;
    Address = record::GetU16(words);
    Flags = record::GetU16(words + 2);
    Layout = record::GetU16(words + 4);

    std::string caption;
    if (record::ReadText(stream, caption, 1) < 0)
        return -2;
    SetCaptionText(caption);

    if (CreateValue(Kind()) < 0)
        return -3;
    return Value->Read(stream);
}

int TDlgline::Write(TStream& stream) const {
    std::uint8_t words[record::WordsSize];
    PackWords(words, Address, Flags, Layout);
    if (record::WriteBytes(stream, words, record::WordsSize) < 0)
        return -1;
    if (record::WriteText(stream, CaptionText()) < 0)
        return -2;
    if (!Value)
        return -3;
    return Value->Write(stream);
}

int TDlgline::CreateValue(int kind) {
    Value.Reset(NewDlglineValue(kind));
    return Value ? 0 : -1;
}

bool TDlgline::IsBlank() const {
    return !Value || Caption.Text().size() <= 1;
}

void TDlgline::Blank() {
    SetCaptionText({});
    Value.Reset();
}

bool TDlgline::SameDefinition(const TDlgline& other) const {
    const std::uint16_t otherFlags =
        std::uint16_t((other.Flags & ~flags::RunTimeBits) | (Flags & flags::RunTimeBits));
    if (Address != other.Address || Flags != otherFlags || Layout != other.Layout)
        return false;
    if (Caption.Text() != other.Caption.Text())
        return false;
    if (!Value || !other.Value)
        return !Value && !other.Value;
    return Value->IsSameKind(*other.Value);
}

bool TDlgline::SameValue(const TDlgline& other) const {
    if (!Value || !other.Value)
        return !Value && !other.Value;
    return Value->IsEqual(*other.Value);
}

std::string TDlgline::ExpandCaption(std::string_view pattern) const {
    return ExpandCaptionTemplate(pattern, {IndexI, IndexJ, IndexK, Value.Get()});
}

bool TDlgline::IsVisible() const {
    if (Flags & flags::Hidden)
        return false;
    return !((Flags & flags::ProductionVisible) && ProductionOff());
}

bool TDlgline::IsEditable() const {
    if ((Flags & flags::ReadOnly) || !Value || Value->Kind() == KindLabel)
        return false;
    return !((Flags & flags::ProductionEditable) && ProductionOff());
}

} // namespace kelvo
