#pragma once
// The display-independent half of the virtual list view: the row vector built
// from a data source, its stable ordering by a sort key, the selection kept
// across re-ordering and rebuilding, and the incremental row search. The
// control that shows the rows is reached only through TVlistControl.
#include "foundation/vlist/vlist_control.h"
#include "foundation/vlist/vlist_entry.h"

#include <cstdint>
#include <functional>
#include <string_view>
#include <utility>
#include <vector>

namespace kelvo {

class TSortVListView {
public:
    // A sort key: bits 0..30 the column, bit 31 descending.
    static constexpr std::int32_t UnsortedKey = -1;
    static constexpr std::int32_t DescendingBit = INT32_MIN;
    // RowCount values: as many rows as the data source has entries; rows stale.
    static constexpr std::int32_t AllEntries = -1;
    static constexpr std::int32_t StaleRows = INT32_MAX;

    static int SortColumn(std::int32_t key) { return key & INT32_MAX; }
    static bool IsDescending(std::int32_t key) { return key < 0; }

    TSortVListView() = default;
    TSortVListView(const TSortVListView&) = delete;
    TSortVListView& operator=(const TSortVListView&) = delete;
    virtual ~TSortVListView() = default;

    std::int32_t SortKey() const { return FSortKey; }
    TVlistViewData* Data() const { return FData; }
    const TSortedVlvEntries& Rows() const { return FRows; }
    // The control showing the rows, or null (not owned).
    TVlistControl* BoundListControl() const { return FControl; }

    // Narrows the rows after they were built from the visible entries (the
    // user looks for some lines). It may only drop rows, never add or re-order
    // them. It runs whenever the rows are rebuilt; set the rows stale and
    // Invalidate to apply a changed filter.
    using TRowFilter = std::function<void(TSortedVlvEntries& rows)>;
    void SetRowFilter(TRowFilter filter) { FRowFilter = std::move(filter); }

    // Attaches a data source (not owned) and rebuilds the rows.
    void SetData(TVlistViewData* data);
    // The owner calls this when its entries changed, then Invalidate.
    void SetRowsStale() { FRowCount = StaleRows; }
    // Sorts the rows again under the current key (and rebuilds stale rows).
    void Invalidate();
    // Sorts by a column; the current sort column again flips the direction.
    void SortByColumn(int column);
    // Brings rows, control and order up to date; does nothing when neither the
    // row count nor the key changes.
    void Refresh(std::int32_t newSortKey);

    // The control's selection or focus changed: the entries of the rows take
    // it over, so that it survives re-ordering and rebuilding. Ignored while
    // the rows are stale (their entries may be gone) and while the list itself
    // sets the control's selection.
    void SelectionChanged();

    // The entry of a row, null outside the rows.
    TVlistViewEntry* GetItem(int row) const;
    int GetRowCount() const;

    // The first row from `start` (taken modulo the row count) whose text in the
    // sort column begins with `text`, letters compared without case; after the
    // last row the search goes on at row 0 only when `wrap` is set, and never
    // past `start` again. -1 when nothing matches or the text is empty.
    int FindRow(std::string_view text, int start, bool wrap) const;
    // The same walk with any test of the entry.
    int FindRow(int start, bool wrap,
                const std::function<bool(const TVlistViewEntry&)>& matches) const;
    // The column FindRow looks at.
    int SearchColumn() const;

protected:
    void SetControl(TVlistControl* control) { FControl = control; }
    TVlistControl* Control() const { return FControl; }

private:
    // Copies the control's selection and focus into the entries of the rows
    // the control shows; the rows must be valid.
    void ParkSelection();
    // Selects the rows whose entries are selected and gives the focus to the
    // first focused one; returns the selected rows.
    std::vector<int> RestoreSelection();
    // Rebuilds the rows; entries that are not shown lose their selection.
    void RebuildRows();
    void FilterRows();
    // Re-orders the rows for the new key: reversal when only the direction
    // changes, a stable sort otherwise.
    void ReorderRows(std::int32_t newSortKey);
    void SortRows();

    std::int32_t FSortKey = 0;
    TVlistControl* FControl = nullptr;
    TVlistViewData* FData = nullptr;
    std::int32_t FRowCount = AllEntries;
    TSortedVlvEntries FRows;
    TRowFilter FRowFilter;
    // Set while Refresh changes the control: what the control reports then is
    // the list's own doing, partly on rows that no longer exist.
    bool FRefreshing = false;
};

} // namespace kelvo
