#pragma once
// One line of a device's parameter dialog: three definition words, a caption
// and, for most lines, a typed value. The line record read and written here is
// both what the device sends when its dialog is downloaded and what a data
// file holds.
#include "foundation/stream.h"
#include "foundation/utilcls.h"
#include "model/dlgline_bits.h"
#include "model/dlglinevalue.h"
#include "translations/mltext.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace kelvo {

class TDlgline {
public:
    // productionMode points at the owning document's production flag; a line
    // made on its own has none and then shows and edits as in production.
    explicit TDlgline(const std::uint8_t* productionMode = nullptr);
    TDlgline(const TDlgline& other);
    TDlgline& operator=(const TDlgline& other);
    virtual ~TDlgline();

    // Reads one line record. 0 or more is success (the bytes of the value);
    // -1 the words are missing, -2 the caption is empty or cut off, -3 the
    // kind has no value class (the line then has no value); otherwise the
    // value's own failure.
    virtual int Read(TStream& stream);
    // Writes the line record. -1 and -2 as for Read; -3 after the caption
    // when the line has no value.
    virtual int Write(TStream& stream) const;

    // A fresh value of the kind, 0; for a kind without value class -1 and no value.
    int CreateValue(int kind);
    // No value, or nothing after the caption's category character.
    bool IsBlank() const;
    // Makes a separator line: no caption text and no value; words and
    // indices stay.
    void Blank();
    // The same words, apart from the run-time bits the device flips, the same
    // caption and the same kind of value.
    bool SameDefinition(const TDlgline& other) const;
    bool SameValue(const TDlgline& other) const;
    // The caption as the caption column shows it, from the caption text or
    // its translation.
    std::string ExpandCaption(std::string_view pattern) const;

    bool IsVisible() const;
    bool IsEditable() const;
    // The device may change a live line's value by itself.
    bool IsLive() const { return (Layout & layout::Live) != 0; }
    int Kind() const { return KindOf(Flags); }
    int GroupLevel() const { return GroupLevelOf(Layout); }
    // The caption without its category character.
    std::string CaptionText() const { return Caption.Untranslated(); }
    void SetCaptionText(std::string_view text);

    const std::uint8_t* ProductionMode;
    TMltext Caption;
    TPtr<TDlglineValue> Value;
    std::uint16_t Address = 0;
    std::uint16_t Flags = 0;
    std::uint16_t Layout = 0;
    std::int32_t IndexI = 0;
    std::int32_t IndexJ = 0;
    std::int32_t IndexK = 0;

private:
    bool ProductionOff() const { return ProductionMode && *ProductionMode == 0; }
};

} // namespace kelvo
