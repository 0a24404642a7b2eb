#include "foundation/gui/sort_vlistview.h"

#include <algorithm>
#include <cctype>
#include <unordered_set>

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
    if (static_cast<unsigned>(row) >= FRows.size())
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
    const bool enter = FControl && (rebuild || newSortKey != FSortKey ||
                                    FControl->ItemCount() != count || count == 0);

    // The selection is taken by identity before the rows are replaced, while the
    // control's row numbers still refer to the old rows. Old entries may already
    // be gone, so they are only compared, never touched.
    std::unordered_set<const TVlistViewEntry*> selected;
    const TVlistViewEntry* focused = nullptr;
    if (enter) {
        const int shown = std::min<int>(FControl->ItemCount(), static_cast<int>(FRows.size()));
        for (int row : FControl->SelectedRows())
            if (row >= 0 && row < shown)
                selected.insert(FRows[static_cast<std::size_t>(row)]);
        const int focusRow = FControl->FocusRow();
        if (focusRow >= 0 && focusRow < shown)
            focused = FRows[static_cast<std::size_t>(focusRow)];
    }

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

    FControl->BeginUpdate();
    if (changed)
        FControl->SetItemCount(count);
    for (TVlistViewEntry* e : FRows)
        e->Selected = selected.count(e) ? 1 : 0;
    ReorderRows(newSortKey);
    std::vector<int> rows;
    int focusRow = -1;
    for (std::size_t i = 0; i < FRows.size(); ++i) {
        if (FRows[i]->Selected)
            rows.push_back(static_cast<int>(i));
        if (FRows[i] == focused)
            focusRow = static_cast<int>(i);
    }
    FControl->SetSelection(rows, focusRow);
    if (!changed)
        FControl->RowsChanged();
    FControl->EndUpdate();

    if (!rows.empty())
        FControl->EnsureVisible(rows.front());
    else if (count > 0)
        FControl->SetSelection({0}, -1);
    const std::vector<int> now = FControl->SelectedRows();
    FControl->NotifyChange(now.empty() ? -1 : now.front());
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
