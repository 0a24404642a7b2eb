#include "app/input_probe.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPointer>
#include <QStatusBar>
#include <QTabBar>

#include <cstdio>
#include <ctime>
#include <vector>

namespace kelvo {

namespace {

std::FILE* probeFile = nullptr;

std::string OneLine(const QString& text) {
    std::string line = text.toStdString();
    std::string out;
    for (char c : line) {
        if (c == '\n')
            out += "\\n";
        else if (c != '\r')
            out += c;
    }
    return out;
}

void Write(const std::string& line) {
    if (!probeFile)
        return;
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    std::fprintf(probeFile, "%.3f %s\n", double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6,
                 line.c_str());
    std::fflush(probeFile);
}

class TInputProbe : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
            // The window receives each event of the window system once; the
            // widgets below it may see it again on its way up.
            if (watched->isWindowType()) {
                auto* mouse = static_cast<QMouseEvent*>(event);
                const QPoint at = mouse->globalPosition().toPoint();
                Write(
                    std::string(event->type() == QEvent::MouseButtonPress ? "press " : "release ") +
                    std::to_string(int(mouse->button())) + " " + std::to_string(at.x()) + " " +
                    std::to_string(at.y()));
            }
            break;
        case QEvent::KeyPress:
            if (watched->isWindowType()) {
                auto* key = static_cast<QKeyEvent*>(event);
                if (!key->isAutoRepeat())
                    Write("key " + OneLine(QKeySequence(key->keyCombination()).toString()));
            }
            break;
        case QEvent::Show:
            if (watched->isWidgetType())
                Shown(static_cast<QWidget*>(watched));
            break;
        case QEvent::Hide:
            if (auto* dialog = qobject_cast<QDialog*>(watched); dialog && dialog->isWindow())
                Write("boxclosed " + OneLine(dialog->windowTitle()));
            break;
        case QEvent::WindowActivate:
            if (watched->isWidgetType() && static_cast<QWidget*>(watched)->isWindow())
                Write("active " + OneLine(static_cast<QWidget*>(watched)->windowTitle()));
            break;
        case QEvent::Move:
        case QEvent::Resize:
            if (watched->isWidgetType() &&
                (static_cast<QWidget*>(watched)->isWindow() || qobject_cast<QTabBar*>(watched)))
                WriteAllTabs();
            break;
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void Shown(QWidget* widget) {
        if (auto* bar = qobject_cast<QTabBar*>(widget)) {
            if (!bar->property("probed").toBool()) {
                bar->setProperty("probed", true);
                FBars.emplace_back(bar);
                connect(bar, &QTabBar::currentChanged, this, [bar](int index) {
                    Write("tab " + OneLine(bar->tabText(index).remove('&')));
                });
            }
            WriteAllTabs();
        } else if (auto* status = qobject_cast<QStatusBar*>(widget)) {
            if (!status->property("probed").toBool()) {
                status->setProperty("probed", true);
                connect(status, &QStatusBar::messageChanged, this,
                        [](const QString& text) { Write("status " + OneLine(text)); });
            }
        } else if (auto* box = qobject_cast<QMessageBox*>(widget)) {
            Write("box " + OneLine(box->windowTitle()) + "|" + OneLine(box->text()));
        } else if (auto* dialog = qobject_cast<QDialog*>(widget); dialog && dialog->isWindow()) {
            Write("box " + OneLine(dialog->windowTitle()) + "|");
        } else if (auto* menu = qobject_cast<QMenu*>(widget)) {
            Write("menu " + OneLine(menu->title().remove('&')));
        } else if (auto* child = qobject_cast<QMdiSubWindow*>(widget)) {
            Write("child " + OneLine(child->windowTitle()));
        }
    }

    void WriteAllTabs() {
        for (const QPointer<QTabBar>& bar : FBars) {
            if (!bar || !bar->isVisible())
                continue;
            std::string line = "tabs";
            for (int i = 0; i < bar->count(); ++i) {
                if (!bar->isTabVisible(i))
                    continue;
                const QRect r = bar->tabRect(i);
                const QPoint at = bar->mapToGlobal(r.topLeft());
                line += (line.size() > 4 ? "|" : " ") + std::to_string(i) + " " +
                        OneLine(bar->tabText(i).remove('&')) + " " + std::to_string(at.x()) + " " +
                        std::to_string(at.y()) + " " + std::to_string(r.width()) + " " +
                        std::to_string(r.height());
            }
            Write(line);
        }
    }

    std::vector<QPointer<QTabBar>> FBars;
};

} // namespace

void StartInputProbe(const std::string& path) {
    if (path.empty() || probeFile || !QCoreApplication::instance())
        return;
    probeFile = std::fopen(path.c_str(), "a");
    if (!probeFile) {
        std::fprintf(stderr, "kelvow32: cannot write %s\n", path.c_str());
        return;
    }
    QCoreApplication::instance()->installEventFilter(new TInputProbe(QCoreApplication::instance()));
    Write("start");
}

void ProbeNote(const std::string& line) {
    Write(line);
}

} // namespace kelvo
