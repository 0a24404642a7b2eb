#pragma once
// The virtual list view on a QTreeView in report style. The view holds no
// items: its model only knows the row count and asks the rows' entries for
// their texts when a row is drawn. Rows are drawn by a delegate (highlight,
// indentation, ellipsis, column alignment, a focus rectangle across the row),
// typed letters search the rows, and a click on a column header sorts by it.
#include "foundation/vlist/sort_vlistview.h"

#include <QString>
#include <Qt>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAbstractItemModel;
class QModelIndex;
class QPainter;
class QStyleOptionViewItem;
class QTreeView;

namespace kelvo {

struct TVlistViewColumn {
    QString Caption;
    int Width = 100;
    Qt::Alignment Alignment = Qt::AlignLeft;
};

class TVlistView : public TSortVListView {
public:
    // Turns an entry's single-byte text into what the view shows.
    using TTextDecoder = std::function<QString(const std::string&)>;
    // Told the selected row (-1 for none) after the rows were rebuilt or re-ordered.
    using TChangeHandler = std::function<void(int row)>;

    explicit TVlistView(QTreeView* control = nullptr);
    ~TVlistView() override;

    // Takes over the control (not owned) and gives back the previous one with the
    // model, delegate and settings it had. Binding replaces the control's
    // selection model, so connect to its signals after binding.
    void Bind(QTreeView* control);
    QTreeView* BoundControl() const;
    // The model the bound control shows; it lives as long as this object.
    QAbstractItemModel* ItemModel() const;

    void SetColumns(std::vector<TVlistViewColumn> columns);
    const std::vector<TVlistViewColumn>& Columns() const;
    // The default decoder reads the bytes as Latin-1.
    void SetTextDecoder(TTextDecoder decoder);
    QString DisplayText(const TVlistViewEntry& entry, int column) const;
    void SetChangeHandler(TChangeHandler handler);
    // The horizontal text margin of a cell.
    int FrameWidth() const { return FFrameWidth; }

    // A click on a column header: sort by it and mark the header.
    void ColumnClicked(int column);
    // Typed text: moves the current row to the next row whose text in the sort
    // column begins with what was typed in quick succession. Returns the row
    // found, -1 for none.
    int KeyboardSearch(const QString& text);
    // Forgets the text typed so far; the next letter starts a new search.
    void EndKeyboardSearch();
    // Draws one cell of a row; false leaves it to the default drawing.
    bool DrawRow(QPainter* painter, const QStyleOptionViewItem& option,
                 const QModelIndex& index) const;

private:
    void Detach();
    void Attach(QTreeView* control);

    struct TImpl;
    std::unique_ptr<TImpl> Impl;
    int FFrameWidth;
};

} // namespace kelvo
