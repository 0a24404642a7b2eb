// The main window's window arrangements, scroll commands and toolbar docking.
#include "shell/gui/dockobject.h"
#include "shell/gui/mainform.h"
#include "shell/gui/mainwindow.h"

#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QComboBox>
#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QScreen>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>

#include <algorithm>

namespace kelvo {

namespace {

std::vector<QMdiSubWindow*> Arrangeable(const std::vector<QMdiSubWindow*>& children) {
    std::vector<QMdiSubWindow*> list;
    for (QMdiSubWindow* w : children) {
        if (w->isVisible() && !w->isMinimized()) {
            if (w->isMaximized())
                w->showNormal();
            list.push_back(w);
        }
    }
    return list;
}

// Lays the windows out in strips: one above the other, or side by side.
void Tile(QMdiArea* area, const std::vector<QMdiSubWindow*>& children, bool stacked) {
    const auto list = Arrangeable(children);
    if (list.empty())
        return;
    const QRect space = area->viewport()->rect();
    const int n = static_cast<int>(list.size());
    for (int i = 0; i < n; ++i) {
        QRect r;
        if (stacked) {
            const int top = space.height() * i / n;
            r = QRect(0, top, space.width(), space.height() * (i + 1) / n - top);
        } else {
            const int left = space.width() * i / n;
            r = QRect(left, 0, space.width() * (i + 1) / n - left, space.height());
        }
        list[std::size_t(i)]->setGeometry(r);
    }
}

} // namespace

void TMainForm::TileHorizontally() {
    Tile(FArea, Children(), true);
}

void TMainForm::TileVertically() {
    Tile(FArea, Children(), false);
}

void TMainForm::ArrangeAll() {
    // Minimised windows in a row along the bottom of the client area.
    const QRect space = FArea->viewport()->rect();
    int left = 0;
    int bottom = space.bottom() + 1;
    for (QMdiSubWindow* w : Children()) {
        if (!w->isMinimized())
            continue;
        const QSize size = w->size();
        if (left > 0 && left + size.width() > space.width()) {
            left = 0;
            bottom -= size.height();
        }
        w->move(left, bottom - size.height());
        left += size.width();
    }
}

void TMainForm::RestoreAll() {
    // Restoring a window may change the order of the others: walk again until
    // a whole pass finds nothing to restore.
    for (bool restored = true; restored;) {
        restored = false;
        const auto children = Children();
        for (auto it = children.rbegin(); it != children.rend(); ++it) {
            if ((*it)->isMinimized() || (*it)->isMaximized()) {
                (*it)->showNormal();
                restored = true;
            }
        }
    }
}

void TMainForm::Scroll(int tag) {
    if (tag < 0 || tag > 11)
        return;
    QWidget* control = GetActiveControl();
    if (!control)
        return;
    if (auto* combo = qobject_cast<QComboBox*>(control);
        combo && combo->isEnabled() && (tag == 0 || tag == 2)) {
        if (combo->view() && combo->view()->isVisible())
            combo->hidePopup();
        else
            combo->showPopup();
        return;
    }
    QWidget* target = control;
    QTabWidget* pages = qobject_cast<QTabWidget*>(control);
    if (!pages && qobject_cast<QTabBar*>(control))
        pages = qobject_cast<QTabWidget*>(control->parentWidget());
    if (pages && pages->currentWidget()) {
        // The first control on the page that scrolls, else the page itself.
        const auto areas = pages->currentWidget()->findChildren<QAbstractScrollArea*>();
        target = areas.isEmpty() ? pages->currentWidget() : areas.front();
    } else {
        for (QWidget* w = control; w; w = w->parentWidget()) {
            auto* area = qobject_cast<QAbstractScrollArea*>(w);
            if (area && (area->verticalScrollBar()->isVisible() ||
                         area->horizontalScrollBar()->isVisible())) {
                target = area;
                break;
            }
            if (w->isWindow())
                break;
        }
    }
    auto* area = qobject_cast<QAbstractScrollArea*>(target);
    if (!area)
        return;
    QScrollBar* bar = tag % 2 == 0 ? area->verticalScrollBar() : area->horizontalScrollBar();
    static const QAbstractSlider::SliderAction actions[6] = {
        QAbstractSlider::SliderSingleStepSub, QAbstractSlider::SliderSingleStepAdd,
        QAbstractSlider::SliderPageStepSub,   QAbstractSlider::SliderPageStepAdd,
        QAbstractSlider::SliderToMinimum,     QAbstractSlider::SliderToMaximum};
    // Tags go up/left, down/right in pairs: 0,1 line back; 2,3 line on; ...
    static const int kind[12] = {0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5};
    bar->triggerAction(actions[kind[tag]]);
}

int TMainForm::DockSide(const QPoint& point, const QRect& client) {
    const int distances[4] = {point.x() - client.left(), client.right() - point.x(),
                              point.y() - client.top(), client.bottom() - point.y()};
    int side = 0;
    for (int i = 1; i < 4; ++i) {
        if (distances[i] < distances[side])
            side = i;
    }
    return distances[side] > 0 ? side : -1;
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == FToolBar && FToolBar->isFloating()) {
        if (event->type() == QEvent::Move) {
            // A floating toolbar keeps at least a corner on the screen.
            if (const QScreen* screen = FToolBar->screen()) {
                const QRect kept =
                    TScreenstopDockObject::AdjustDockRect(FToolBar->geometry(), screen->geometry());
                if (kept.topLeft() != FToolBar->pos())
                    FToolBar->move(kept.topLeft());
            }
        } else if (event->type() == QEvent::MouseButtonRelease) {
            ToolbarDragEnded();
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::ToolbarDragEnded() {
    const QRect client = FArea->geometry();
    const QPoint drop = mapFromGlobal(QCursor::pos());
    if (!client.contains(drop))
        return;
    static const Qt::ToolBarArea areas[4] = {Qt::LeftToolBarArea, Qt::RightToolBarArea,
                                             Qt::TopToolBarArea, Qt::BottomToolBarArea};
    const int side = DockSide(drop, client);
    if (side >= 0)
        addToolBar(areas[side], FToolBar);
}

} // namespace kelvo
