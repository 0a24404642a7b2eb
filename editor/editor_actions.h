#pragma once
// The actions of the device editor window, declared in one table. A row holds
// everything about an action: its name, caption, hint, shortcuts, Tag and
// category, the rule that enables it, its place in the window's menus and the
// window operation it runs. The window makes one action per row, connects it,
// puts it into its menus and recomputes the enabling whenever the event loop
// goes idle and before a menu shows; enabling is never stored.
//
// A new action is one more row in EditorActionRows() (editor_actions.cpp) and
// the TKlvForm operation its Execute calls.
#include "online/connect_target.h"
#include "shell/gui/toolbar_icons.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <string_view>
#include <vector>

class QAction;
class QObject;

namespace kelvo {

class TKlvForm;

// What the enabling rules look at, taken from the window at each update.
struct TActionState {
    bool Document = false;         // the window holds a document
    bool Empty = true;             // no document, or one without lines
    bool LinkOpen = false;         // the document's device link is open
    bool LogVisible = false;       // the Log tab is shown
    bool DeviceFree = false;       // online, and no device exchange running
    bool SelectionFocused = false; // the list has the focus and a selected row
    bool ExportRows = false;       // the document has a line an export writes
    // The changes Undo and Redo go over ("Setpoint = 1500"), empty when none,
    // and whether they can run now.
    QString UndoText{};
    QString RedoText{};
    bool CanUndo = false;
    bool CanRedo = false;
    // The connect rule of the online operation; empty without one.
    std::function<bool(TConnectTarget)> CanConnect;
};

// The menu that shows an action. Each menu holds its actions in table order;
// the Go Online submenu stands in the Edit menu where its first action comes.
enum class TActionMenu { None, Edit, GoOnline, View, File };

// The lines the copy actions copy; their Tag.
enum class TCopyLines : int { Selected = 0, All = 1 };

// One action. Every field has a default, so that a row names only what it needs.
struct TActionRow {
    QString Name{}; // the action's object name
    QString Caption{};
    QString Hint{};
    QStringList Keys{}; // the first is the one a menu entry shows
    int Tag = 0;
    QString Category{}; // "Edit", "Connect", "View" or "File"
    // Null: always enabled.
    bool (*Enabled)(const TActionState& state, int tag) = nullptr;
    void (*Execute)(TKlvForm& window, int tag) = nullptr;
    TActionMenu Menu = TActionMenu::None;
    bool SeparatorBefore = false;
    // A menu entry with a caption or a hint of its own (empty: the action's):
    // it stands for the action, which keeps its own texts and key.
    QString MenuCaption{};
    QString MenuHint{};
    // Set for a checkable action: whether it shows its check mark.
    bool (*Checked)(const TActionState& state) = nullptr;
    std::optional<TToolbarIcon> Icon{};
    // Set for an action whose caption follows the state (null: Caption).
    QString (*CaptionNow)(const TActionState& state) = nullptr;
};

// Every action of the editor window.
const std::vector<TActionRow>& EditorActionRows();

// The Go Online submenu of the Edit menu.
inline constexpr const char* GoOnlineMenuTitle = "Go O&nline";
inline constexpr const char* GoOnlineMenuHint = "Connect to KELVO device on COM port";

// What the Tag of a connect action and of a copy action stands for.
TConnectTarget ConnectTargetOf(int tag);
TCopyLines CopyLinesOf(int tag);

bool IsEnabled(const TActionRow& row, const TActionState& state);

// The actions of one window, one per row of the table, in table order.
class TEditorActions {
public:
    // Creates the actions as children of owner.
    void Create(QObject* owner);

    const std::vector<QAction*>& All() const { return FAll; }
    // The action of the row named name; null when the table has none.
    QAction* operator[](std::string_view name) const;
    std::vector<QAction*> InCategory(const QString& category) const;

private:
    std::vector<QAction*> FAll;
};

// The Tag of an action (a COM port, a device request, the lines to copy).
int ActionTag(const QAction* action);
// "Edit", "Connect", "View" or "File".
QString ActionCategory(const QAction* action);

// Shortcut values as the window's menus know them: a key code in the low 13
// bits, 0x2000 Shift, 0x4000 Ctrl, 0x8000 Alt.
inline constexpr int ShortcutCtrlX = 0x4058;
inline constexpr int ShortcutCtrlC = 0x4043;
inline constexpr int ShortcutCtrlV = 0x4056;

} // namespace kelvo
