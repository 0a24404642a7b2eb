#pragma once
// Lays out the controls of a dialog built in code, in dialog units and without
// coordinates: controls flow from top to bottom in columns with standard sizes
// and gaps by kind, may stand beside their predecessor, group boxes (and any
// widget holding controls) are laid out recursively and sized around their
// content, and finally the container is sized around everything.
#include <array>
#include <cstdint>

class QFont;
class QWidget;

namespace kelvo {

// Sizes in dialog units and the base units they convert with. Container
// groups (index k): k horizontal margin, k + 1 top margin, k + 2 column gap,
// k + 3 bottom margin. Control groups (index g): g gap after the same kind,
// g + 1 gap after another kind, g + 2 default width, g + 3 default height.
struct TTileTable {
    enum : int {
        Form = 0,
        GroupBoxContainer = 4,
        OtherControl = 8,
        Button = 12,
        RadioButton = 16,
        CheckBox = 20,
        Edit = 24,
        ComboBox = 28,
        GroupBox = 32,
    };
    static constexpr std::array<int, 36> Defaults = {
        6, 1, 12, 6,  // form
        6, 3, 12, 4,  // group box as container
        6, 6, 40, 11, // other controls (sizes not applied)
        6, 6, 40, 11, // button
        1, 6, 61, 8,  // radio button
        2, 6, 61, 8,  // check box
        6, 6, 72, 9,  // edit field
        6, 6, 72, 9,  // combo box
        3, 3, 61, 8,  // group box
    };

    std::array<int, 36> Values = Defaults;
    // Horizontal unit in the low 16 bits, vertical unit in the high 16 bits;
    // read from the container's font at the start of every layout.
    std::uint32_t BaseUnits = 0;

    int HorizontalUnit() const { return BaseUnits & 0xFFFF; }
    int VerticalUnit() const { return BaseUnits >> 16; }
    int ToPixelsX(int units) const { return HorizontalUnit() * units / 4; }
    int ToPixelsY(int units) const { return VerticalUnit() * units / 8; }
};

// The dialog base units of a font: the average character width and the line
// height, packed as TTileTable::BaseUnits.
std::uint32_t DialogBaseUnits(const QFont& font);

// Placement hints of a control, kept with the control until the layout reads
// them (a widget's own geometry cannot hold them: Qt refuses negative sizes).
// Left, low 16 bits signed: extra horizontal offset in pixels; TileNewColumn
// starts a new column; TileBeside places the control to the right of its
// predecessor on the same row. Top, low 16 bits signed: extra vertical offset
// in pixels, 0 for the standard gap. A negative width or height is an explicit
// size in pixels in its low 16 bits (TileSize); otherwise the kind's default
// size applies.
constexpr int TileNewColumn = 0x10000;
constexpr int TileBeside = 0x20000;
constexpr int TileSize(int pixels) {
    return static_cast<int>(0xFFFF0000u | static_cast<std::uint32_t>(pixels & 0xFFFF));
}

struct TTileHints {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
};

void SetTileHints(QWidget* control, int left, int top, int width, int height);
// All zero for a control that was given none.
TTileHints TileHints(const QWidget* control);

// The table group of a control's kind (TTileTable::Button ... OtherControl).
int TileKind(const QWidget* control);

// Places the child controls of container in creation order and sizes the
// container around them; table.BaseUnits is read again from the font first.
void Layout(QWidget* container, TTileTable& table);

} // namespace kelvo
