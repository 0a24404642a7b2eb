#include "foundation/gui/vlistview.h"
#include "vlist/test_rows.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QPainter>
#include <QStandardItemModel>
#include <QStyleOptionViewItem>
#include <QTreeView>

#include <memory>

namespace kelvo {
namespace {

using test::TTestData;

class VlistView : public ::testing::Test {
protected:
    void SetUp() override {
        View.resize(400, 300);
        List.SetColumns({{"Key", 200, Qt::AlignLeft}, {"Value", 160, Qt::AlignRight}});
    }

    QString Cell(int row, int column) const {
        const QAbstractItemModel* m = View.model();
        return m->data(m->index(row, column), Qt::DisplayRole).toString();
    }
    std::vector<int> SelectedKeys() const {
        std::vector<int> keys;
        for (const QModelIndex& i : View.selectionModel()->selectedRows())
            keys.push_back(static_cast<test::TTestEntry*>(List.GetItem(i.row()))->Key);
        std::sort(keys.begin(), keys.end());
        return keys;
    }

    QTreeView View;
    TVlistView List;
    TTestData Data;
};

TEST_F(VlistView, ModelShowsVisibleRowsAndAsksEntriesForTextsWhenDrawn) {
    Data.Add(2, {"Beta", "20"});
    Data.Add(1, {"Alpha", "10"}).Visible = false;
    Data.Add(3, {"Gamma", "30"});
    List.Bind(&View);
    List.SetData(&Data);

    ASSERT_EQ(View.model(), List.ItemModel());
    EXPECT_EQ(View.model()->rowCount(), 2);
    EXPECT_EQ(View.model()->columnCount(), 2);
    EXPECT_EQ(View.model()->headerData(1, Qt::Horizontal).toString(), "Value");
    EXPECT_EQ(Cell(0, 0), "Beta");
    EXPECT_EQ(Cell(1, 1), "30");
    EXPECT_FALSE(View.rootIsDecorated());
    EXPECT_TRUE(View.uniformRowHeights());

    // Texts are not cached: a changed entry shows its new text at once.
    Data.Entries[2]->Texts[1] = "31";
    EXPECT_EQ(Cell(1, 1), "31");

    // Device texts are single bytes; the decoder decides what they read as.
    Data.Entries[0]->Texts[0] = "\x84";
    EXPECT_EQ(Cell(0, 0), QString(QChar(0x84)));
    List.SetTextDecoder([](const std::string& s) {
        return s == "\x84" ? QString::fromUtf8("\xC3\xA4") : QString::fromLatin1(s.c_str());
    });
    EXPECT_EQ(Cell(0, 0), QString::fromUtf8("\xC3\xA4"));

    // Making the hidden entry visible shows up after the owner's rebuild.
    Data.Entries[1]->Visible = true;
    List.SetRowsStale();
    List.Invalidate();
    EXPECT_EQ(View.model()->rowCount(), 3);
    EXPECT_EQ(Cell(0, 0), "Alpha");
}

TEST_F(VlistView, BindingGivesBackTheControlAsItWas) {
    QStandardItemModel own;
    View.setModel(&own);
    QAbstractItemDelegate* ownDelegate = View.itemDelegate();
    View.setRootIsDecorated(true);
    Data.Add(1, {"a", "b"});

    {
        TVlistView scoped(&View);
        scoped.SetData(&Data);
        EXPECT_EQ(View.model(), scoped.ItemModel());
        EXPECT_NE(View.itemDelegate(), ownDelegate);
    }
    EXPECT_EQ(View.model(), &own);
    EXPECT_EQ(View.itemDelegate(), ownDelegate);
    EXPECT_TRUE(View.rootIsDecorated());

    // A control that goes away first leaves the list without one.
    auto* shortLived = new QTreeView;
    List.Bind(shortLived);
    List.SetData(&Data);
    delete shortLived;
    EXPECT_EQ(List.BoundControl(), nullptr);
    List.Invalidate();
}

TEST_F(VlistView, SelectionInTheViewSurvivesSortAndRebuild) {
    for (int key : {4, 2, 5, 1, 3})
        Data.Add(key, {std::to_string(key), "v"});
    List.Bind(&View);
    List.SetData(&Data);
    View.setSelectionMode(QAbstractItemView::ExtendedSelection);
    QItemSelectionModel* sm = View.selectionModel();
    sm->clearSelection();
    const QAbstractItemModel* m = View.model();
    sm->select(m->index(1, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows); // key 2
    sm->select(m->index(4, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows); // key 5
    sm->setCurrentIndex(m->index(4, 0), QItemSelectionModel::NoUpdate);

    int told = -2;
    List.SetChangeHandler([&](int row) { told = row; });
    List.ColumnClicked(0); // same column: descending
    EXPECT_EQ(Cell(0, 0), "5");
    EXPECT_EQ(View.header()->sortIndicatorOrder(), Qt::DescendingOrder);
    EXPECT_EQ(SelectedKeys(), (std::vector<int>{2, 5}));
    EXPECT_EQ(View.currentIndex().row(), 0);
    EXPECT_EQ(told, 0);

    Data.Entries[2]->Visible = false; // key 5
    List.SetRowsStale();
    List.Invalidate();
    EXPECT_EQ(View.model()->rowCount(), 4);
    EXPECT_EQ(SelectedKeys(), (std::vector<int>{2}));
    EXPECT_EQ(Cell(2, 0), "2");
}

TEST_F(VlistView, RebuildsFollowWhatTheUserSelectedNotTheOldAddresses) {
    for (int key : {1, 2, 3, 4, 5})
        Data.Add(key, {std::to_string(key), "v"});
    List.Bind(&View);
    List.SetData(&Data);
    const QAbstractItemModel* m = View.model();
    // As a click does: current row and selection move together.
    View.selectionModel()->setCurrentIndex(m->index(3, 0), QItemSelectionModel::ClearAndSelect |
                                                               QItemSelectionModel::Rows);

    // Rows above the selection disappear: the selection and the focus stay
    // with the entry, which moved up.
    Data.Entries[0]->Visible = false;
    List.SetRowsStale();
    List.Invalidate();
    EXPECT_EQ(SelectedKeys(), (std::vector<int>{4}));
    EXPECT_EQ(View.currentIndex().row(), 2);

    // Typing selects through the same control; entries remade in their old
    // storage are new rows, however their addresses look.
    EXPECT_EQ(List.KeyboardSearch("5"), 3);
    for (int i = 0; i < 5; ++i)
        Data.Renew(i, 10 + i, {std::to_string(10 + i), "w"});
    List.SetRowsStale();
    List.Invalidate();
    EXPECT_EQ(SelectedKeys(), (std::vector<int>{10}));
    EXPECT_FALSE(View.currentIndex().isValid());

    // A control bound again shows the selection its entries kept.
    View.selectionModel()->setCurrentIndex(m->index(2, 0), QItemSelectionModel::ClearAndSelect |
                                                               QItemSelectionModel::Rows);
    QTreeView other;
    List.Bind(&other);
    ASSERT_TRUE(other.selectionModel());
    ASSERT_EQ(other.selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(other.selectionModel()->selectedRows().front().row(), 2);
    EXPECT_EQ(other.currentIndex().row(), 2);
}

TEST_F(VlistView, TypedLettersFindTheNextMatchingRow) {
    Data.Add(1, {"apple", ""});
    Data.Add(2, {"Banana", ""});
    Data.Add(3, {"cherry", ""});
    Data.Add(4, {"blueberry", ""});
    Data.Add(5, {"\x84pfel", ""});
    List.SetTextDecoder([](const std::string& s) {
        return s.rfind("\x84", 0) == 0
                   ? QString::fromUtf8("\xC3\xA4") + QString::fromLatin1(s.c_str() + 1)
                   : QString::fromLatin1(s.c_str());
    });
    List.Bind(&View);
    List.SetData(&Data);

    QKeyEvent b(QEvent::KeyPress, Qt::Key_B, Qt::NoModifier, "b");
    QApplication::sendEvent(&View, &b);
    EXPECT_EQ(View.currentIndex().row(), 1);
    EXPECT_EQ(View.selectionModel()->selectedRows().size(), 1);
    EXPECT_TRUE(View.selectionModel()->isRowSelected(1));

    // Letters beyond ASCII compare without case too (typed upper, stored lower).
    List.EndKeyboardSearch();
    EXPECT_EQ(List.KeyboardSearch(QString::fromUtf8("\xC3\x84")), 4);
    EXPECT_EQ(View.currentIndex().row(), 4);

    // Chords are left to the view's shortcuts.
    QKeyEvent chord(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier, "c");
    QApplication::sendEvent(&View, &chord);
    EXPECT_EQ(View.currentIndex().row(), 4);
}

class VlistViewPaint : public VlistView {
protected:
    // Paints one cell of row 0 into a white image and returns it.
    QImage PaintCell(int column, const QRect& cell, bool selected) {
        QImage image(400, 24, QImage::Format_ARGB32);
        image.fill(Qt::white);
        QStyleOptionViewItem option;
        option.initFrom(&View);
        option.widget = &View;
        option.rect = cell;
        option.state =
            QStyle::State_Enabled | (selected ? QStyle::State_Selected : QStyle::State_None);
        option.palette.setColor(QPalette::Base, Qt::white);
        option.palette.setColor(QPalette::Text, Qt::black);
        option.palette.setColor(QPalette::Highlight, Qt::blue);
        option.palette.setColor(QPalette::HighlightedText, Qt::yellow);
        QPainter painter(&image);
        View.itemDelegate()->paint(&painter, option, View.model()->index(0, column));
        return image;
    }
    // Columns of the image in [from, to) that hold a pixel other than `ground`.
    static std::vector<int> InkColumns(const QImage& image, int from, int to, QColor ground) {
        std::vector<int> ink;
        for (int x = from; x < to; ++x)
            for (int y = 0; y < image.height(); ++y)
                if (image.pixelColor(x, y) != ground) {
                    ink.push_back(x);
                    break;
                }
        return ink;
    }
};

TEST_F(VlistViewPaint, LongTextIsElidedInsideTheCellMargins) {
    Data.Add(1, {std::string(60, 'W'), "7"});
    List.Bind(&View);
    List.SetData(&Data);
    const int margin = List.FrameWidth();
    const QRect cell(0, 0, 100, 24);
    const QImage image = PaintCell(0, cell, false);

    const std::vector<int> ink = InkColumns(image, 0, 400, Qt::white);
    ASSERT_FALSE(ink.empty());
    EXPECT_GE(ink.front(), margin);
    EXPECT_LT(ink.back(), cell.right() + 1 - margin);

    // Merely cutting the text at the margin would look different: the tail
    // must have been replaced by an ellipsis.
    QImage cut(400, 24, QImage::Format_ARGB32);
    cut.fill(Qt::white);
    {
        QPainter p(&cut);
        p.setFont(View.font());
        p.setPen(Qt::black);
        const QRect textRect(QPoint(margin, 0), QPoint(cell.right() - margin, cell.bottom()));
        p.setClipRect(textRect);
        p.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                   QString(60, 'W'));
    }
    EXPECT_NE(image, cut);
}

TEST_F(VlistViewPaint, ColumnsAlignAndSelectedRowsAreHighlighted) {
    Data.Add(1, {"k", "7"});
    Data.Entries[0]->Indent = 2;
    List.Bind(&View);
    List.SetData(&Data);

    // The value column is right-aligned: its ink sits in the cell's right half.
    const QRect valueCell(200, 0, 160, 24);
    const std::vector<int> value = InkColumns(PaintCell(1, valueCell, false), 0, 400, Qt::white);
    ASSERT_FALSE(value.empty());
    EXPECT_GT(value.front(), valueCell.center().x());
    EXPECT_LT(value.back(), valueCell.right() + 1 - List.FrameWidth());

    // A selected row is filled with the highlight from the label on; the
    // indentation in front of the label stays blank.
    const QRect keyCell(0, 0, 200, 24);
    const QImage selected = PaintCell(0, keyCell, true);
    const int labelLeft = 2 * View.indentation();
    EXPECT_EQ(selected.pixelColor(labelLeft - 1, 1), QColor(Qt::white));
    EXPECT_EQ(selected.pixelColor(labelLeft + 1, 1), QColor(Qt::blue));
    EXPECT_EQ(selected.pixelColor(keyCell.right(), 1), QColor(Qt::blue));
    const std::vector<int> text = InkColumns(selected, labelLeft, 200, Qt::blue);
    ASSERT_FALSE(text.empty());
    EXPECT_GE(text.front(), labelLeft + List.FrameWidth());

    // The whole view paints without trouble, focus rectangle included.
    View.setCurrentIndex(View.model()->index(0, 1));
    QImage whole(View.size(), QImage::Format_ARGB32);
    View.render(&whole);
    SUCCEED();
}

} // namespace
} // namespace kelvo
