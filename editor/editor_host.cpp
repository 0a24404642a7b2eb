#include "editor/editor_host.h"

#include "editor/klvform.h"
#include "shell/gui/idledispatch.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QTreeView>

namespace kelvo {

namespace {

class TQtTicker : public TTicker {
public:
    TQtTicker(int intervalMs, std::function<void()> tick) {
        FTimer.setInterval(intervalMs);
        QObject::connect(&FTimer, &QTimer::timeout, std::move(tick));
        FTimer.start();
    }

private:
    QTimer FTimer;
};

} // namespace

TEditorHost::~TEditorHost() {
    while (FBusy > 0) {
        --FBusy;
        QApplication::restoreOverrideCursor();
    }
}

std::unique_ptr<TTicker> TEditorHost::Start(int intervalMs, std::function<void()> tick) {
    return std::make_unique<TQtTicker>(intervalMs, std::move(tick));
}

std::int64_t TEditorHost::Milliseconds() const {
    static QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return clock.elapsed();
}

void TEditorHost::Lock() {
    FForm.CloseLock.Lock();
}

bool TEditorHost::Unlock() {
    return FForm.CloseLock.Unlock();
}

int TEditorHost::TopRow() const {
    const QModelIndex top = FForm.Controls().KelvoListView->indexAt(QPoint(0, 0));
    return top.isValid() ? top.row() : 0;
}

int TEditorHost::VisibleRows() const {
    const int rowHeight = FForm.Controls().KelvoListView->sizeHintForRow(0);
    if (rowHeight <= 0)
        return 0;
    return FForm.Controls().KelvoListView->viewport()->height() / rowHeight + 1;
}

void TEditorHost::RowChanged(int row) {
    QTreeView* view = FForm.Controls().KelvoListView;
    const QAbstractItemModel* model = view->model();
    if (!model || row < 0 || row >= model->rowCount())
        return;
    QRect rect = view->visualRect(model->index(row, 0));
    for (int column = 1; column < model->columnCount(); ++column)
        rect |= view->visualRect(model->index(row, column));
    view->viewport()->update(rect.adjusted(0, 0, view->viewport()->width(), 0));
    if (view->currentIndex().row() == row)
        FForm.UpdateStatus();
}

void TEditorHost::ListChanged() {
    FForm.Controls().KelvoListView->viewport()->update();
    FForm.UpdateStatus();
    FForm.UpdateAboutDialogIfChanged();
}

void TEditorHost::DocumentChanged() {
    FForm.DocumentChanged();
}

void TEditorHost::StatusChanged() {
    FForm.UpdateStatus();
    FForm.UpdateAboutOnline();
}

void TEditorHost::ProcessMessages() {
    // Paint and timers, but no clicks or keys: nothing the user does may start
    // under a device exchange. What the user did meanwhile follows right after.
    TIdleDispatch::ProcessMessagesWithoutInput();
}

void TEditorHost::SetBusy(bool busy) {
    if (busy) {
        ++FBusy;
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (FBusy > 0) {
        --FBusy;
        QApplication::restoreOverrideCursor();
    }
}

} // namespace kelvo
