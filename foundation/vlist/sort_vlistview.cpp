#include "foundation/vlist/sort_vlistview.h"

#include <algorithm>
#include <cctype>

namespace kelvo {

namespace {

bool StartsWithNoCase(const std::string& s, std::string_view prefix) {
    if (s.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        const auto a = static_cast<unsigned char>(s[i]);
        const auto b = static_cast<unsigned char>(prefix[i]);
        if (std::toupper(a) != std::toupper(b))
            return false;
    }
    return true;
}

} // namespace

void TSortVListView::SetData(TVlistViewData* data) {
    if (data == FData)
        return;
    FData = data;
    FRowCount = StaleRows;
    Refresh(FSortKey);
}

void TSortVListView::Invalidate() {
    const std::int32_t key = FSortKey;
    FSortKey = UnsortedKey;
    Refresh(key);
}

void TSortVListView::SortByColumn(int column) {
    std::int32_t key = column & INT32_MAX;
    if (key == SortColumn(FSortKey))
        key = FSortKey ^ DescendingBit;
    Refresh(key);
}

TVlistViewEntry* TSortVListView::GetItem(int row) const {
    // Stale rows may point at entries that are gone: a control that paints
    // meanwhile (under a message box during a load) gets nothing.
    if (FRowCount == StaleRows || static_cast<unsigned>(row) >= FRows.size())
        return nullptr;
    return FRows[static_cast<std::size_t>(row)];
}

int TSortVListView::GetRowCount() const {
    if (FRowCount >= 0)
        return FRowCount;
    return FData ? FData->Count() : 0;
}

void TSortVListView::Refresh(std::int32_t newSortKey) {
    if (!FData) {
        // Without a source there is nothing to show; the old rows may point at
        // entries that are gone, so they must not stay reachable.
        FRows.clear();
        FRowCount = AllEntries;
        if (FControl && FControl->ItemCount() != 0) {
            FControl->SetItemCount(0);
            FControl->NotifyChange(-1);
        }
        return;
    }

    int count = GetRowCount();
    const bool rebuild = count < 0 || static_cast<std::size_t>(count) != FRows.size();

    // Rows that are only re-ordered are still valid: the control's latest
    // selection is taken straight into their entries. Rows to be rebuilt may
    // point at entries that are gone; their selection is already in the live
    // entries, reported by the control as it changed.
    if (FControl && !rebuild && newSortKey != FSortKey && FControl->ItemCount() == count)
        ParkSelection();

    if (rebuild) {
        const std::int32_t before = FRowCount;
        RebuildRows();
        if (before >= 0 || FData->Count() != static_cast<int>(FRows.size()))
            FRowCount = static_cast<std::int32_t>(FRows.size());
        count = static_cast<int>(FRows.size());
        FSortKey = UnsortedKey;
    }

    if (!FControl) {
        if (newSortKey != FSortKey) {
            FSortKey = newSortKey;
            SortRows();
        }
        return;
    }
    const bool changed = FControl->ItemCount() != count || count == 0;
    if (!changed && newSortKey == FSortKey)
        return;

    std::vector<int> rows;
    {
        struct TRefreshing {
            explicit TRefreshing(bool& flag) : Flag(flag), Was(flag) { Flag = true; }
            ~TRefreshing() { Flag = Was; }
            bool& Flag;
            const bool Was;
        } refreshing(FRefreshing);

        FControl->BeginUpdate();
        if (changed)
            FControl->SetItemCount(count);
        ReorderRows(newSortKey);
        rows = RestoreSelection();
        if (!changed)
            FControl->RowsChanged();
        FControl->EndUpdate();

        if (!rows.empty()) {
            FControl->EnsureVisible(rows.front());
        } else if (count > 0) {
            FControl->SetSelection({0}, TVlistControl::KeepFocus);
            FRows.front()->Selected = 1;
        }
    }
    const std::vector<int> now = FControl->SelectedRows();
    FControl->NotifyChange(now.empty() ? -1 : now.front());
}

void TSortVListView::SelectionChanged() {
    if (!FControl || FRefreshing || FRowCount == StaleRows)
        return;
    ParkSelection();
}

void TSortVListView::ParkSelection() {
    const std::size_t shown =
        std::min(static_cast<std::size_t>(std::max(FControl->ItemCount(), 0)), FRows.size());
    for (std::size_t i = 0; i < shown; ++i)
        FRows[i]->ClearRowState();
    for (int row : FControl->SelectedRows())
        if (row >= 0 && static_cast<std::size_t>(row) < shown)
            FRows[static_cast<std::size_t>(row)]->Selected = 1;
    const int focus = FControl->FocusRow();
    if (focus >= 0 && static_cast<std::size_t>(focus) < shown)
        FRows[static_cast<std::size_t>(focus)]->Focused = 1;
}

std::vector<int> TSortVListView::RestoreSelection() {
    std::vector<int> rows;
    int focusRow = TVlistControl::NoFocus;
    for (std::size_t i = 0; i < FRows.size(); ++i) {
        TVlistViewEntry& entry = *FRows[i];
        if (entry.Selected)
            rows.push_back(static_cast<int>(i));
        // Only one row can hold the focus; a copied entry gives up its claim.
        if (entry.Focused) {
            if (focusRow < 0)
                focusRow = static_cast<int>(i);
            else
                entry.Focused = 0;
        }
    }
    FControl->SetSelection(rows, focusRow);
    return rows;
}

void TSortVListView::RebuildRows() {
    FRows.clear();
    if (!FData)
        return;
    const int total = FData->Count();
    TVlistViewEntryIteratorPtr it;
    // A source whose iteration ends before its count says stops the walk.
    int visible = 0;
    FData->Begin(it);
    for (int i = 0; i < total; ++i) {
        TVlistViewEntry* e = (*it)++;
        if (!e)
            break;
        if (e->IsVisible())
            ++visible;
        else
            e->ClearRowState();
    }
    FRows.reserve(static_cast<std::size_t>(visible));
    FData->Begin(it);
    for (int i = 0; i < total && static_cast<int>(FRows.size()) < visible; ++i) {
        TVlistViewEntry* e = (*it)++;
        if (!e)
            break;
        if (e->IsVisible())
            FRows.push_back(e);
    }
    if (FRowFilter)
        FilterRows();
}

void TSortVListView::FilterRows() {
    const TSortedVlvEntries all = FRows;
    FRowFilter(FRows);
    // Entries the filter dropped lose their selection, as hidden ones do: a
    // line selected out of sight would come back selected with the others
    // once the filter is gone.
    std::size_t kept = 0;
    for (TVlistViewEntry* e : all) {
        if (kept < FRows.size() && FRows[kept] == e)
            ++kept;
        else
            e->ClearRowState();
    }
}

void TSortVListView::ReorderRows(std::int32_t newSortKey) {
    if (newSortKey == FSortKey)
        return;
    if ((newSortKey ^ FSortKey) == DescendingBit) {
        FSortKey ^= DescendingBit;
        std::reverse(FRows.begin(), FRows.end());
    } else {
        FSortKey = newSortKey;
        SortRows();
    }
}

void TSortVListView::SortRows() {
    const std::int32_t key = FSortKey;
    std::stable_sort(FRows.begin(), FRows.end(),
                     [key](const TVlistViewEntry* a, const TVlistViewEntry* b) {
                         return a->Compare(*b, key) < 0;
                     });
}

int TSortVListView::SearchColumn() const {
    // Rows that are not sorted by any column are searched by their first column.
    return FSortKey == UnsortedKey ? 0 : SortColumn(FSortKey);
}

int TSortVListView::FindRow(std::string_view text, int start, bool wrap) const {
    if (text.empty())
        return -1;
    const int column = SearchColumn();
    return FindRow(start, wrap, [&](const TVlistViewEntry& e) {
        return StartsWithNoCase(e.GetText(column), text);
    });
}

int TSortVListView::FindRow(int start, bool wrap,
                            const std::function<bool(const TVlistViewEntry&)>& matches) const {
    const int n = static_cast<int>(FRows.size());
    if (n < 1)
        return -1;
    start %= n;
    if (start < 0)
        start += n;
    int row = start;
    do {
        if (matches(*FRows[static_cast<std::size_t>(row)]))
            return row;
        if (++row == n) {
            if (!wrap)
                break;
            row = 0;
        }
    } while (row != start);
    return -1;
}

} // namespace kelvo
