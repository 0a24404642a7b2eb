#pragma once
// The Qt adapters of the virtual list view: the item model that holds only a
// row count, the delegate that lets the list draw its rows, and the key filter
// that routes typed letters to the row search.
#include <QAbstractTableModel>
#include <QStyledItemDelegate>

namespace kelvo {

class TVlistView;

class TVlistItemModel : public QAbstractTableModel {
public:
    explicit TVlistItemModel(TVlistView& owner) : Owner(owner) {}

    int ItemCount() const { return FItemCount; }
    // A new count drops every row, and with them the view's selection.
    void SetItemCount(int count);
    // The columns changed; the rows are shown again.
    void ColumnsChanged();
    // The texts behind every row may have changed.
    void AllRowsChanged();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    TVlistView& Owner;
    int FItemCount = 0;
};

class TVlistRowDelegate : public QStyledItemDelegate {
public:
    explicit TVlistRowDelegate(const TVlistView& owner) : Owner(owner) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    const TVlistView& Owner;
};

class TVlistKeyFilter : public QObject {
public:
    explicit TVlistKeyFilter(TVlistView& owner) : Owner(owner) {}
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TVlistView& Owner;
};

} // namespace kelvo
