#include "foundation/gui/vlist_item_model.h"

#include "foundation/gui/vlistview.h"

#include <QKeyEvent>

namespace kelvo {

void TVlistItemModel::SetItemCount(int count) {
    beginResetModel();
    FItemCount = count < 0 ? 0 : count;
    endResetModel();
}

void TVlistItemModel::ColumnsChanged() {
    beginResetModel();
    endResetModel();
}

void TVlistItemModel::AllRowsChanged() {
    const int columns = columnCount();
    if (FItemCount > 0 && columns > 0)
        emit dataChanged(index(0, 0), index(FItemCount - 1, columns - 1));
}

int TVlistItemModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : FItemCount;
}

int TVlistItemModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(Owner.Columns().size());
}

QVariant TVlistItemModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= FItemCount)
        return {};
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(
            Owner.Columns()[static_cast<std::size_t>(index.column())].Alignment | Qt::AlignVCenter);
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    const TVlistViewEntry* entry = Owner.GetItem(index.row());
    if (!entry)
        return {};
    return Owner.DisplayText(*entry, index.column());
}

QVariant TVlistItemModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 ||
        section >= static_cast<int>(Owner.Columns().size()))
        return {};
    const TVlistViewColumn& column = Owner.Columns()[static_cast<std::size_t>(section)];
    if (role == Qt::DisplayRole)
        return column.Caption;
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(column.Alignment | Qt::AlignVCenter);
    return {};
}

Qt::ItemFlags TVlistItemModel::flags(const QModelIndex& index) const {
    // Rows are edited through the owner's dialog, never in place.
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void TVlistRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    if (!Owner.DrawRow(painter, option, index))
        QStyledItemDelegate::paint(painter, option, index);
}

bool TVlistKeyFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers chord =
        key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    const QString text = key->text();
    if (chord != Qt::NoModifier || text.isEmpty() || !text.at(0).isPrint() ||
        text.trimmed().isEmpty())
        return false;
    Owner.KeyboardSearch(text);
    return true;
}

} // namespace kelvo
