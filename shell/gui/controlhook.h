#pragma once
// A hook on one control's event handling: the handler sees each event first
// and a true answer ends its handling; otherwise the control handles it as
// always. Removing the hook restores the control's own handling alone. The
// status bar's hook writes the active document window's status text into it.
#include <QObject>
#include <QPointer>

#include <functional>

class QStatusBar;

namespace kelvo {

class TControlWndprocImp : public QObject {
public:
    using THandler = std::function<bool(QObject* control, QEvent* event)>;
    TControlWndprocImp(QObject* control, THandler handler);
    ~TControlWndprocImp() override;
    QObject* Control() const { return FControl; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QObject> FControl;
    THandler FHandler;
};

template <class TControl> class TControlWndproc : public TControlWndprocImp {
public:
    TControlWndproc(TControl* control, THandler handler)
        : TControlWndprocImp(control, std::move(handler)) {}
    TControl* Target() const { return static_cast<TControl*>(Control()); }
};

// Keeps the status bar showing the status text of the active document window
// whenever nothing else (a menu hint) is shown there.
class TStatusbarWndproc : public TControlWndproc<QStatusBar> {
public:
    explicit TStatusbarWndproc(QStatusBar* bar);
    ~TStatusbarWndproc() override;
    // Writes the active document window's text into the hooked status bar.
    static void Refresh();
    static QStatusBar* Hooked();
};

} // namespace kelvo
