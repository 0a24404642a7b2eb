#pragma once
// The actions of the device editor window: caption, hint, shortcut, Tag and
// category of each, built from one table. The window connects their execute
// handlers and recomputes their enabling whenever the event loop goes idle
// and before a menu shows them; enabling is never stored.
#include <QString>

#include <array>
#include <vector>

class QAction;
class QObject;

namespace kelvo {

struct TEditorActions {
    QAction* ActionCut = nullptr;
    QAction* ActionCopy = nullptr;
    QAction* ActionPaste = nullptr;
    QAction* ActionEditValue = nullptr;
    QAction* ActionGoOnlineLast = nullptr;
    // Com1 .. Com20 at indices 0 .. 19.
    std::array<QAction*, 20> ActionGoOnlineCom{};
    QAction* ActionGoOffline = nullptr;
    QAction* ActionScanCom = nullptr;
    QAction* ActionViewLog = nullptr;
    QAction* ActionUpdateLog = nullptr;
    QAction* ActionSaveLog = nullptr;
    QAction* ActionFindNextError = nullptr;
    QAction* ActionProgramDevice = nullptr;
    QAction* ActionResetDevice = nullptr;
    QAction* ActionCopyLines = nullptr;
    QAction* ActionCopyLines2 = nullptr;
    QAction* ActionCopyLines0 = nullptr;
    QAction* ActionCopyAllLines = nullptr;

    // Every action, in table order.
    std::vector<QAction*> All;
    // The connect actions: Last COM, Com1 .. Com20, Go Offline, Scan.
    std::vector<QAction*> Connect;

    // Creates the actions as children of owner.
    void Create(QObject* owner);
};

// The Tag of an action (a COM port, a device request, 0 or 1 for the lines
// to copy).
int ActionTag(const QAction* action);
// "Edit", "Connect" or "View".
QString ActionCategory(const QAction* action);

// Shortcut values as the window's menus know them: a key code in the low 13
// bits, 0x2000 Shift, 0x4000 Ctrl, 0x8000 Alt.
inline constexpr int ShortcutCtrlX = 0x4058;
inline constexpr int ShortcutCtrlC = 0x4043;
inline constexpr int ShortcutCtrlV = 0x4056;

} // namespace kelvo
