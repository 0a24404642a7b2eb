#include "foundation/gui/vlistview.h"

#include "foundation/gui/vlist_item_model.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QPainter>
#include <QPointer>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QTreeView>

#include <algorithm>

namespace kelvo {

namespace {

// What a control looked like before the list took it over.
struct TSavedControl {
    QPointer<QAbstractItemModel> Model;
    QPointer<QAbstractItemDelegate> Delegate;
    bool RootIsDecorated = true;
    bool UniformRowHeights = false;
    bool AllColumnsShowFocus = false;
    bool SortingEnabled = false;
    bool SortIndicatorShown = false;
    QAbstractItemView::SelectionBehavior Behavior = QAbstractItemView::SelectItems;
};

// A new model brings a new selection model; the one the view made for the old
// model is of no further use.
void ReplaceModel(QTreeView& view, QAbstractItemModel* model) {
    QItemSelectionModel* old = view.selectionModel();
    view.setModel(model);
    if (old && old != view.selectionModel() && old->parent() == &view)
        delete old;
}

int StyleFrameWidth() {
    // A list made before any window exists (a document read by a tool) still
    // needs a margin.
    if (qobject_cast<QApplication*>(QCoreApplication::instance()))
        return QApplication::style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
    return 2;
}

class TWaitCursor {
public:
    TWaitCursor() : Active(qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr) {
        if (Active)
            QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~TWaitCursor() {
        if (Active)
            QApplication::restoreOverrideCursor();
    }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;

private:
    bool Active;
};

} // namespace

struct TVlistView::TImpl : public TVlistControl {
    explicit TImpl(TVlistView& owner) : Model(owner), Delegate(owner), KeyFilter(owner) {}

    // TVlistControl over the bound QTreeView.
    int ItemCount() const override { return Model.ItemCount(); }
    void SetItemCount(int count) override { Model.SetItemCount(count); }
    void BeginUpdate() override {
        if (Control)
            Control->setUpdatesEnabled(false);
    }
    void EndUpdate() override {
        if (Control)
            Control->setUpdatesEnabled(true);
    }
    std::vector<int> SelectedRows() const override {
        std::vector<int> rows;
        if (!Control || !Control->selectionModel())
            return rows;
        for (const QItemSelectionRange& range : Control->selectionModel()->selection())
            for (int row = range.top(); row <= range.bottom(); ++row)
                rows.push_back(row);
        std::sort(rows.begin(), rows.end());
        rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
        return rows;
    }
    int FocusRow() const override {
        if (!Control || !Control->selectionModel())
            return -1;
        const QModelIndex current = Control->selectionModel()->currentIndex();
        return current.isValid() ? current.row() : -1;
    }
    void SetSelection(const std::vector<int>& rows, int focusRow) override {
        QItemSelectionModel* selection = Control ? Control->selectionModel() : nullptr;
        const int lastColumn = Model.columnCount() - 1;
        if (!selection || lastColumn < 0)
            return;
        QItemSelection wanted;
        for (std::size_t i = 0; i < rows.size();) {
            std::size_t j = i;
            while (j + 1 < rows.size() && rows[j + 1] == rows[j] + 1)
                ++j;
            wanted.select(Model.index(rows[i], 0), Model.index(rows[j], lastColumn));
            i = j + 1;
        }
        selection->select(wanted, QItemSelectionModel::ClearAndSelect);
        if (focusRow >= 0)
            selection->setCurrentIndex(Model.index(focusRow, 0), QItemSelectionModel::NoUpdate);
        else if (focusRow == NoFocus)
            selection->clearCurrentIndex();
    }
    void RowsChanged() override { Model.AllRowsChanged(); }
    void EnsureVisible(int row) override {
        if (Control)
            Control->scrollTo(Model.index(row, 0), QAbstractItemView::EnsureVisible);
    }
    void NotifyChange(int row) override {
        if (ChangeHandler)
            ChangeHandler(row);
    }

    TVlistItemModel Model;
    TVlistRowDelegate Delegate;
    TVlistKeyFilter KeyFilter;
    QPointer<QTreeView> Control;
    TSavedControl Saved;
    QMetaObject::Connection HeaderClicks;
    QMetaObject::Connection SelectionWatch;
    QMetaObject::Connection FocusWatch;
    std::vector<TVlistViewColumn> Columns;
    TTextDecoder Decoder;
    TChangeHandler ChangeHandler;
    QElapsedTimer SearchClock;
    QString SearchText;
};

TVlistView::TVlistView(QTreeView* control)
    : Impl(std::make_unique<TImpl>(*this)), FFrameWidth(StyleFrameWidth()) {
    Bind(control);
}

TVlistView::~TVlistView() {
    Bind(nullptr);
}

QTreeView* TVlistView::BoundControl() const {
    return Impl->Control;
}

QAbstractItemModel* TVlistView::ItemModel() const {
    return &Impl->Model;
}

void TVlistView::Bind(QTreeView* control) {
    if (control == Impl->Control && (control || !Control()))
        return;
    Detach();
    Attach(control);
    Refresh(SortKey());
}

void TVlistView::Detach() {
    if (Control()) {
        QObject::disconnect(Impl->SelectionWatch);
        QObject::disconnect(Impl->FocusWatch);
        Impl->Model.SetItemCount(0);
        if (QTreeView* old = Impl->Control) {
            QObject::disconnect(Impl->HeaderClicks);
            old->removeEventFilter(&Impl->KeyFilter);
            const TSavedControl& s = Impl->Saved;
            ReplaceModel(*old, s.Model);
            old->setItemDelegate(s.Delegate);
            old->setRootIsDecorated(s.RootIsDecorated);
            old->setUniformRowHeights(s.UniformRowHeights);
            old->setAllColumnsShowFocus(s.AllColumnsShowFocus);
            old->setSortingEnabled(s.SortingEnabled);
            old->header()->setSortIndicatorShown(s.SortIndicatorShown);
            old->setSelectionBehavior(s.Behavior);
        }
        SetControl(nullptr);
    }
    Impl->Control = nullptr;
}

void TVlistView::Attach(QTreeView* control) {
    Impl->Control = control;
    if (control) {
        Impl->Model.SetItemCount(0);
        TSavedControl& s = Impl->Saved;
        s.Model = control->model();
        s.Delegate = control->itemDelegate();
        s.RootIsDecorated = control->rootIsDecorated();
        s.UniformRowHeights = control->uniformRowHeights();
        s.AllColumnsShowFocus = control->allColumnsShowFocus();
        s.SortingEnabled = control->isSortingEnabled();
        s.SortIndicatorShown = control->header()->isSortIndicatorShown();
        s.Behavior = control->selectionBehavior();

        // The rows order themselves; the view must not sort them, and the focus
        // rectangle across the row is the delegate's.
        control->setSortingEnabled(false);
        ReplaceModel(*control, &Impl->Model);
        control->setItemDelegate(&Impl->Delegate);
        control->setRootIsDecorated(false);
        control->setUniformRowHeights(true);
        control->setAllColumnsShowFocus(false);
        control->setSelectionBehavior(QAbstractItemView::SelectRows);
        for (std::size_t i = 0; i < Impl->Columns.size(); ++i)
            control->header()->resizeSection(static_cast<int>(i), Impl->Columns[i].Width);
        control->installEventFilter(&Impl->KeyFilter);
        Impl->HeaderClicks =
            QObject::connect(control->header(), &QHeaderView::sectionClicked, &Impl->Model,
                             [this](int section) { ColumnClicked(section); });
        // Clicks, keys and the owner's own selecting all end up here, while the
        // rows still mean the entries they showed.
        if (QItemSelectionModel* selection = control->selectionModel()) {
            Impl->SelectionWatch =
                QObject::connect(selection, &QItemSelectionModel::selectionChanged, &Impl->Model,
                                 [this] { SelectionChanged(); });
            Impl->FocusWatch = QObject::connect(selection, &QItemSelectionModel::currentChanged,
                                                &Impl->Model, [this] { SelectionChanged(); });
        }
        SetControl(Impl.get());
    }
}

void TVlistView::SetColumns(std::vector<TVlistViewColumn> columns) {
    Impl->Columns = std::move(columns);
    Impl->Model.ColumnsChanged();
    if (QTreeView* view = Impl->Control)
        for (std::size_t i = 0; i < Impl->Columns.size(); ++i)
            view->header()->resizeSection(static_cast<int>(i), Impl->Columns[i].Width);
}

const std::vector<TVlistViewColumn>& TVlistView::Columns() const {
    return Impl->Columns;
}

void TVlistView::SetTextDecoder(TTextDecoder decoder) {
    Impl->Decoder = std::move(decoder);
    Impl->Model.AllRowsChanged();
}

QString TVlistView::DisplayText(const TVlistViewEntry& entry, int column) const {
    const std::string text = entry.GetText(column);
    if (Impl->Decoder)
        return Impl->Decoder(text);
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

void TVlistView::SetChangeHandler(TChangeHandler handler) {
    Impl->ChangeHandler = std::move(handler);
}

void TVlistView::ColumnClicked(int column) {
    TWaitCursor wait;
    SortByColumn(column);
    if (QTreeView* view = Impl->Control) {
        view->header()->setSortIndicatorShown(true);
        view->header()->setSortIndicator(column, IsDescending(SortKey()) ? Qt::DescendingOrder
                                                                         : Qt::AscendingOrder);
        view->viewport()->update();
    }
}

int TVlistView::KeyboardSearch(const QString& text) {
    QTreeView* view = Impl->Control;
    if (!view || text.isEmpty())
        return -1;
    bool fresh = !Impl->SearchClock.isValid() ||
                 Impl->SearchClock.elapsed() > QApplication::keyboardInputInterval();
    Impl->SearchClock.start();
    Impl->SearchText = fresh ? text : Impl->SearchText + text;

    QString needle = Impl->SearchText;
    // The same letter typed again walks on through the rows that begin with it.
    if (needle.size() > 1 && needle.count(needle.front()) == needle.size()) {
        needle = needle.left(1);
        fresh = true;
    }
    const int current = Impl->FocusRow();
    // A new search starts after the current row; a longer text re-checks it.
    const int start = current < 0 ? 0 : (fresh ? current + 1 : current);
    const int column = SearchColumn();
    const int row = FindRow(start, true, [&](const TVlistViewEntry& entry) {
        return DisplayText(entry, column).startsWith(needle, Qt::CaseInsensitive);
    });
    if (row >= 0 && view->selectionModel()) {
        const QModelIndex index = Impl->Model.index(row, 0);
        view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                           QItemSelectionModel::Rows);
        view->scrollTo(index);
    }
    return row;
}

void TVlistView::EndKeyboardSearch() {
    Impl->SearchClock.invalidate();
    Impl->SearchText.clear();
}

bool TVlistView::DrawRow(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
    QTreeView* view = Impl->Control;
    const TVlistViewEntry* entry = GetItem(index.row());
    if (!entry || !view || option.widget != view)
        return false;

    const int column = index.column();
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    const QPalette::ColorGroup group =
        option.state.testFlag(QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
    const QColor background = option.palette.color(group, QPalette::Base);
    const QColor highlight = option.palette.color(group, QPalette::Highlight);
    const QRect cell = option.rect;

    // The label starts after the indentation; the highlight and the focus
    // rectangle leave the indentation blank.
    const QHeaderView* header = view->header();
    const int indent = std::max(0, entry->GetIndent()) * view->indentation();
    const int labelLeft = header->sectionViewportPosition(0) + indent;
    const int cellLeft = column == 0 ? cell.left() + indent : cell.left();

    painter->save();
    painter->setClipRect(cell, Qt::IntersectClip);
    painter->fillRect(cell, background);
    if (selected)
        painter->fillRect(QRect(QPoint(cellLeft, cell.top()), cell.bottomRight()), highlight);

    // A row whose only text is its first column (a heading) lets that text run
    // on across the empty cells: every cell draws it at the same place, each
    // clipped to itself.
    const int lastSection = header->count() > 0 ? header->logicalIndex(header->count() - 1) : 0;
    const int rowRight =
        header->sectionViewportPosition(lastSection) + header->sectionSize(lastSection) - 1;
    bool heading = header->count() > 1;
    for (int c = 1; heading && c < header->count(); ++c)
        heading = DisplayText(*entry, c).isEmpty();
    const int textColumn = heading ? 0 : column;
    const QRect textRect = heading ? QRect(QPoint(labelLeft + FFrameWidth, cell.top()),
                                           QPoint(rowRight - FFrameWidth, cell.bottom()))
                                   : QRect(QPoint(cellLeft + FFrameWidth, cell.top()),
                                           QPoint(cell.right() - FFrameWidth, cell.bottom()));
    if (textRect.width() > 0) {
        Qt::Alignment align = Qt::AlignLeft;
        if (textColumn >= 0 && textColumn < static_cast<int>(Impl->Columns.size()))
            align = Impl->Columns[static_cast<std::size_t>(textColumn)].Alignment &
                    Qt::AlignHorizontal_Mask;
        const QString text = option.fontMetrics.elidedText(DisplayText(*entry, textColumn),
                                                           Qt::ElideRight, textRect.width());
        painter->setFont(option.font);
        painter->setPen(
            option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
        painter->drawText(textRect, static_cast<int>(align | Qt::AlignVCenter) | Qt::TextSingleLine,
                          text);
    }

    const QModelIndex current = view->currentIndex();
    const bool focused = current.isValid() && current.row() == index.row() &&
                         (view->hasFocus() || option.state.testFlag(QStyle::State_HasFocus));
    if (focused && header->count() > 0) {
        const int last = header->logicalIndex(header->count() - 1);
        const int rowRight = header->sectionViewportPosition(last) + header->sectionSize(last);
        QStyleOptionFocusRect frame;
        frame.QStyleOption::operator=(option);
        frame.state |= QStyle::State_KeyboardFocusChange;
        frame.rect = QRect(labelLeft, cell.top(), rowRight - labelLeft, cell.height());
        frame.backgroundColor = selected ? highlight : background;
        view->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &frame, painter, view);
    }
    painter->restore();
    return true;
}

} // namespace kelvo
