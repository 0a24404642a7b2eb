#pragma once
// What the virtual list needs from the control that shows it. The control
// holds only a row count and a selection by row number; everything else is
// asked of the list when the control draws.
#include <vector>

namespace kelvo {

// A control reports every change of its selection or focus (made by the user
// or by anyone else) to the list through TSortVListView::SelectionChanged, so
// that the list's entries always know whether they are selected.
class TVlistControl {
public:
    // SetSelection's focusRow: leave the focus as it is, or take it away.
    static constexpr int KeepFocus = -1;
    static constexpr int NoFocus = -2;

    virtual ~TVlistControl() = default;

    virtual int ItemCount() const = 0;
    // A new count drops the control's selection and current row.
    virtual void SetItemCount(int count) = 0;
    virtual void BeginUpdate() {}
    virtual void EndUpdate() {}
    // Selected rows in ascending order.
    virtual std::vector<int> SelectedRows() const = 0;
    // The row with the keyboard focus, -1 for none.
    virtual int FocusRow() const = 0;
    // Replaces the selection; focusRow is a row, KeepFocus or NoFocus.
    virtual void SetSelection(const std::vector<int>& rows, int focusRow) = 0;
    // The texts behind the existing rows changed: repaint them.
    virtual void RowsChanged() = 0;
    virtual void EnsureVisible(int row) = 0;
    // The owner's change handler, told about the selected row (-1 for none).
    virtual void NotifyChange(int row) = 0;
};

} // namespace kelvo
