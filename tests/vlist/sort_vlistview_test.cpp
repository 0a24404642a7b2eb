#include "foundation/vlist/sort_vlistview.h"
#include "vlist/test_rows.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kelvo {
namespace {

using test::TTestData;
using test::TTestEntry;

// A control that only remembers what it was told.
class TFakeControl : public TVlistControl {
public:
    int ItemCount() const override { return Count; }
    void SetItemCount(int count) override {
        Count = count;
        Selected.clear();
        Focus = -1;
        ++CountChanges;
    }
    std::vector<int> SelectedRows() const override { return Selected; }
    int FocusRow() const override { return Focus; }
    void SetSelection(const std::vector<int>& rows, int focusRow) override {
        Selected = rows;
        if (focusRow >= 0)
            Focus = focusRow;
        else if (focusRow == NoFocus)
            Focus = -1;
        ++SelectionWrites;
    }
    void RowsChanged() override { ++Repaints; }
    // What a user's click does: the control changes and tells the list.
    void Select(std::vector<int> rows, int focus) {
        Selected = std::move(rows);
        Focus = focus;
        if (Owner)
            Owner->SelectionChanged();
    }
    void EnsureVisible(int row) override { Visible = row; }
    void NotifyChange(int row) override { Notified.push_back(row); }

    int Count = 0;
    std::vector<int> Selected;
    int Focus = -1;
    int CountChanges = 0;
    int SelectionWrites = 0;
    int Repaints = 0;
    int Visible = -1;
    std::vector<int> Notified;
    TSortVListView* Owner = nullptr;
};

class TTestList : public TSortVListView {
public:
    using TSortVListView::SetControl;
    void Show(TFakeControl& control) {
        SetControl(&control);
        control.Owner = this;
    }
};

// Keys of the rows in display order.
std::vector<int> Keys(const TSortVListView& list) {
    std::vector<int> keys;
    for (const TVlistViewEntry* e : list.Rows())
        keys.push_back(static_cast<const TTestEntry*>(e)->Key);
    return keys;
}

std::vector<std::string> Names(const TSortVListView& list) {
    std::vector<std::string> names;
    for (const TVlistViewEntry* e : list.Rows())
        names.push_back(e->GetText(1));
    return names;
}

TEST(SortVListView, StableSortKeepsTheSourceOrderOfEqualKeys) {
    TTestData data;
    int compares = 0;
    const int keys[] = {2, 1, 3, 1, 2, 1};
    for (int i = 0; i < 6; ++i)
        data.Add(keys[i], {std::to_string(keys[i]), "n" + std::to_string(i)}, &compares);
    // More than 15 equal entries so that the merge, not only the insertion runs, is used.
    for (int i = 6; i < 40; ++i)
        data.Add(1, {"1", "n" + std::to_string(i)}, &compares);

    TTestList list;
    TFakeControl control;
    list.SetControl(&control);
    list.SetData(&data);
    ASSERT_EQ(list.GetRowCount(), 40);
    std::vector<std::string> expect = {"n1", "n3", "n5"};
    for (int i = 6; i < 40; ++i)
        expect.push_back("n" + std::to_string(i));
    expect.insert(expect.end(), {"n0", "n4", "n2"});
    EXPECT_EQ(Names(list), expect);

    // The same column again only flips the direction: the rows are reversed
    // without a single comparison.
    compares = 0;
    list.SortByColumn(0);
    EXPECT_EQ(list.SortKey(), TSortVListView::DescendingBit);
    std::reverse(expect.begin(), expect.end());
    EXPECT_EQ(Names(list), expect);
    EXPECT_EQ(compares, 0);
    list.SortByColumn(0);
    EXPECT_EQ(list.SortKey(), 0);
    EXPECT_EQ(compares, 0);

    // Columns on which every entry is equal keep the source order once the rows
    // are rebuilt, whatever the key; without a control a new direction sorts
    // again instead of reversing.
    std::vector<std::string> source;
    for (int i = 0; i < 40; ++i)
        source.push_back("n" + std::to_string(i));
    list.SortByColumn(1);
    list.SetRowsStale();
    list.Invalidate();
    EXPECT_EQ(Names(list), source);
    list.Refresh(2);
    EXPECT_EQ(Names(list), source);
    list.SetControl(nullptr);
    list.Refresh(2 | TSortVListView::DescendingBit);
    EXPECT_EQ(Names(list), source);
}

TEST(SortVListView, SelectionAndFocusFollowTheirEntriesAcrossSorting) {
    TTestData data;
    for (int key : {5, 3, 9, 1})
        data.Add(key, {std::to_string(key)});
    TTestList list;
    TFakeControl control;
    list.SetControl(&control);
    list.SetData(&data);
    ASSERT_EQ(Keys(list), (std::vector<int>{1, 3, 5, 9}));

    control.Selected = {0, 3}; // keys 1 and 9
    control.Focus = 2;         // key 5
    list.SortByColumn(0);      // descending: 9 5 3 1
    EXPECT_EQ(Keys(list), (std::vector<int>{9, 5, 3, 1}));
    EXPECT_EQ(control.Selected, (std::vector<int>{0, 3}));
    EXPECT_EQ(control.Focus, 1);

    control.Selected = {1}; // key 5
    list.Refresh(0);        // ascending again
    EXPECT_EQ(control.Selected, (std::vector<int>{2}));
    EXPECT_EQ(control.Visible, 2);
    EXPECT_EQ(control.Notified.back(), 2);
}

TEST(SortVListView, RebuildDropsHiddenEntriesAndKeepsTheSelectedOnes) {
    TTestData data;
    for (int i = 0; i < 6; ++i)
        data.Add(i, {std::to_string(i)});
    TTestList list;
    TFakeControl control;
    list.Show(control);
    list.SetData(&data);
    ASSERT_EQ(control.Count, 6);
    control.Select({3, 4}, 4);

    // Hiding rows above the selection moves the selected entries up; the
    // selection must stay with them, not with the row numbers.
    data.Entries[0]->Visible = false;
    data.Entries[2]->Visible = false;
    list.SetRowsStale();
    list.Invalidate();
    EXPECT_EQ(Keys(list), (std::vector<int>{1, 3, 4, 5}));
    EXPECT_EQ(list.GetRowCount(), 4);
    EXPECT_EQ(control.Count, 4);
    EXPECT_EQ(control.Selected, (std::vector<int>{1, 2}));
    EXPECT_EQ(control.Focus, 2);

    // When every entry shows again the count is taken from the source again.
    data.Entries[0]->Visible = true;
    data.Entries[2]->Visible = true;
    list.SetRowsStale();
    list.Invalidate();
    EXPECT_EQ(list.GetRowCount(), 6);
    EXPECT_EQ(control.Selected, (std::vector<int>{3, 4}));
}

TEST(SortVListView, RebuildWithoutSelectionSelectsTheFirstRow) {
    TTestData data;
    for (int i = 0; i < 3; ++i)
        data.Add(i, {std::to_string(i)});
    TTestList list;
    TFakeControl control;
    list.SetControl(&control);
    list.SetData(&data);
    EXPECT_EQ(control.Selected, (std::vector<int>{0}));
    EXPECT_EQ(control.Notified.back(), 0);

    // Replacing every entry: the old rows are gone, so nothing of their
    // selection can be carried over, and the first new row is selected.
    data.Entries.clear();
    data.Add(7, {"7"});
    data.Add(8, {"8"});
    list.SetRowsStale();
    list.Invalidate();
    EXPECT_EQ(control.Count, 2);
    EXPECT_EQ(control.Selected, (std::vector<int>{0}));
}

TEST(SortVListView, EntriesRemadeAtTheSameAddressesCarryNoSelection) {
    TTestData data;
    for (int i = 0; i < 4; ++i)
        data.Add(i, {std::to_string(i)});
    TTestList list;
    TFakeControl control;
    list.Show(control);
    list.SetData(&data);
    control.Select({1, 3}, 3);

    // The entry that held the selection stays; the others are destroyed and
    // made anew in their old storage, so their addresses are those of the
    // rows that were selected or focused.
    const TVlistViewEntry* kept = data.Entries[1].get();
    data.Renew(3, 3, {"3"});
    data.Renew(0, 0, {"0"});
    ASSERT_EQ(data.Entries[3].get(), list.GetItem(3));
    list.SetRowsStale();
    list.Invalidate();
    EXPECT_EQ(control.Selected, (std::vector<int>{1}));
    EXPECT_EQ(list.GetItem(1), kept);
    EXPECT_EQ(control.Focus, -1) << "the focused entry is gone";

    // Every entry remade: nothing of the old selection is left, the first row
    // is selected as after loading.
    control.Select({2}, 2);
    for (int i = 0; i < 4; ++i)
        data.Renew(i, i, {std::to_string(i)});
    list.SetRowsStale();
    list.Invalidate();
    EXPECT_EQ(control.Selected, (std::vector<int>{0}));
    EXPECT_EQ(control.Focus, -1);

    // The default selection is the entry's own: it survives the next rebuild
    // that hides nothing above it.
    data.Entries[3]->Visible = false;
    list.SetRowsStale();
    list.Invalidate();
    EXPECT_EQ(control.Selected, (std::vector<int>{0}));
}

TEST(SortVListView, HiddenEntriesAndCopiesDoNotBringTheSelectionBack) {
    TTestData data;
    for (int i = 0; i < 4; ++i)
        data.Add(i, {std::to_string(i)});
    TTestList list;
    TFakeControl control;
    list.Show(control);
    list.SetData(&data);
    control.Select({1, 2}, 2);

    // A selected row that is hidden is no longer selected when it shows again.
    data.Entries[2]->Visible = false;
    list.SetRowsStale();
    list.Invalidate();
    EXPECT_EQ(control.Selected, (std::vector<int>{1}));
    data.Entries[2]->Visible = true;
    list.SetRowsStale();
    list.Invalidate();
    EXPECT_EQ(control.Selected, (std::vector<int>{1}));
    EXPECT_EQ(control.Focus, -1);

    // A whole copy carries the state along; more than one row claiming the
    // focus gives it to the first, and a copy whose state was cleared is a
    // plain new row.
    control.Select({1}, 1);
    TTestEntry twin(*data.Entries[1]);
    TTestEntry plain(*data.Entries[1]);
    plain.ClearRowState();
    data.Entries.push_back(std::make_unique<TTestEntry>(twin));
    data.Entries.push_back(std::make_unique<TTestEntry>(plain));
    list.SetRowsStale();
    list.Invalidate();
    ASSERT_EQ(Keys(list), (std::vector<int>{0, 1, 1, 1, 2, 3}));
    EXPECT_EQ(control.Selected, (std::vector<int>{1, 2}));
    EXPECT_EQ(control.Focus, 1);
}

TEST(SortVListView, UnchangedCountAndKeyLeaveTheControlAlone) {
    TTestData data;
    for (int i = 0; i < 4; ++i)
        data.Add(i, {std::to_string(i)});
    TTestList list;
    TFakeControl control;
    list.SetControl(&control);
    list.SetData(&data);
    const int changes = control.CountChanges;
    const int writes = control.SelectionWrites;
    const std::size_t notes = control.Notified.size();
    list.Refresh(list.SortKey());
    list.Refresh(list.SortKey());
    EXPECT_EQ(control.CountChanges, changes);
    EXPECT_EQ(control.SelectionWrites, writes);
    EXPECT_EQ(control.Notified.size(), notes);

    // Invalidate sorts again but keeps the count: rows are repainted, not reset.
    list.Invalidate();
    EXPECT_EQ(control.CountChanges, changes);
    EXPECT_GT(control.Repaints, 0);
}

TEST(SortVListView, BrokenOrMissingSourcesLeaveNoStaleRows) {
    TTestData data;
    data.Add(0, {"a"});
    data.Add(1, {"b"});
    data.ClaimedCount = 5; // promises more entries than it yields
    TTestList list;
    TFakeControl control;
    list.SetControl(&control);
    list.SetData(&data);
    EXPECT_EQ(list.Rows().size(), 2u);
    EXPECT_EQ(control.Count, 2);
    EXPECT_EQ(list.GetItem(2), nullptr);
    EXPECT_EQ(list.GetItem(-1), nullptr);

    list.SetData(nullptr);
    EXPECT_TRUE(list.Rows().empty());
    EXPECT_EQ(control.Count, 0);
    EXPECT_EQ(list.GetRowCount(), 0);
    EXPECT_EQ(list.GetItem(0), nullptr);
}

TEST(SortVListView, FindRowMatchesPrefixesWithoutCaseAndWraps) {
    TTestData data;
    // Sorted by column 0 the rows read: alpha, Beta, beTA2, gamma.
    data.Add(0, {"alpha"});
    data.Add(1, {"Beta"});
    data.Add(2, {"beTA2"});
    data.Add(3, {"gamma"});
    TTestList list;
    list.SetData(&data);

    EXPECT_EQ(list.FindRow("BET", 0, true), 1);
    EXPECT_EQ(list.FindRow("bet", 2, true), 2);
    EXPECT_EQ(list.FindRow("beta2", 0, false), 2);
    EXPECT_EQ(list.FindRow("ALPHA", 1, true), 0);     // found after wrapping
    EXPECT_EQ(list.FindRow("alpha", 1, false), -1);   // no wrap, no hit
    EXPECT_EQ(list.FindRow("gam", 7, false), 3);      // start taken modulo the rows
    EXPECT_EQ(list.FindRow("alphabet", 0, true), -1); // longer than the text
    EXPECT_EQ(list.FindRow("", 0, true), -1);
    EXPECT_EQ(list.FindRow("x", 2, true), -1); // full circle ends at the start

    // The search follows the sort column.
    list.SortByColumn(1);
    EXPECT_EQ(list.SearchColumn(), 1);
    EXPECT_EQ(list.FindRow("b", 0, true), -1);

    TTestList empty;
    EXPECT_EQ(empty.FindRow("a", 0, true), -1);
}

} // namespace
} // namespace kelvo

namespace kelvo {
namespace {

// While the owner rebuilds its entries the rows may point at entries that are
// gone: a control painting meanwhile (under a message box) must get nothing.
TEST(SortVListView, StaleRowsGiveNoEntryUntilTheRebuild) {
    test::TTestData data;
    data.Add(1, {"a", "1"});
    data.Add(2, {"b", "2"});
    TTestList list;
    list.SetData(&data);
    ASSERT_NE(list.GetItem(0), nullptr);
    list.SetRowsStale();
    EXPECT_EQ(list.GetItem(0), nullptr);
    EXPECT_EQ(list.GetItem(1), nullptr);
    list.Invalidate();
    EXPECT_NE(list.GetItem(1), nullptr);
}

} // namespace
} // namespace kelvo
