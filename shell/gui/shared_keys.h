#pragma once
// Keys that the active document window and the main window both hold, such as
// Ctrl+Shift+F5 (the editor's Program Device and the main window's Tile
// Vertically). Qt finds two shortcuts for such a key and runs neither; this
// filter settles the key as the user means it: the enabled action nearest to
// the focused control runs, the active document window's before the main
// window's.
#include <QObject>
#include <QPointer>

class QAction;
class QKeySequence;
class QWidget;

namespace kelvo {

class TSharedKeys : public QObject {
public:
    // Watches the shortcuts of the whole application for the main window.
    explicit TSharedKeys(QWidget* mainWindow);
    ~TSharedKeys() override;

    // The enabled action that holds key nearest to from: the actions of from
    // and its parents, then the menus and toolbars of its window. Null when
    // none is enabled.
    static QAction* Resolve(const QKeySequence& key, QWidget* from);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> FMainWindow;
};

} // namespace kelvo
