#include "editor/editor_actions.h"

#include "editor/export_action.h"
#include "editor/klvform.h"
#include "editor/send_shortcut.h"

#include <QAction>
#include <QKeySequence>
#include <QVariant>

namespace kelvo {

namespace {

// The enabling rules.
bool HasDocument(const TActionState& state, int) {
    return state.Document;
}
bool NotEmpty(const TActionState& state, int) {
    return !state.Empty;
}
bool Never(const TActionState&, int) {
    return false;
}
bool LinkOpen(const TActionState& state, int) {
    return state.LinkOpen;
}
bool LogShown(const TActionState& state, int) {
    return state.LogVisible;
}
bool LogChecked(const TActionState& state) {
    return state.LogVisible;
}
bool DeviceFree(const TActionState& state, int) {
    return state.DeviceFree;
}
bool Exportable(const TActionState& state, int) {
    return state.ExportRows;
}
bool Connectable(const TActionState& state, int tag) {
    return state.CanConnect && state.CanConnect(ConnectTargetOf(tag));
}
// Copying the selection needs the focused list to hold a selected row;
// otherwise the keys belong to the control that has the focus.
bool Copyable(const TActionState& state, int tag) {
    return !state.Empty && (CopyLinesOf(tag) == TCopyLines::All || state.SelectionFocused);
}

bool CanUndo(const TActionState& state, int) {
    return state.CanUndo;
}
bool CanRedo(const TActionState& state, int) {
    return state.CanRedo;
}
// "&Undo Setpoint = 1500": the entry names the change it goes over.
QString MoveCaption(const QString& verb, const QString& change) {
    if (change.isEmpty())
        return verb;
    QString named = change;
    return verb + ' ' + named.replace('&', "&&");
}
QString UndoCaption(const TActionState& state) {
    return MoveCaption("&Undo", state.UndoText);
}
QString RedoCaption(const TActionState& state) {
    return MoveCaption("&Redo", state.RedoText);
}

// What the actions run.
void GoOnline(TKlvForm& window, int tag) {
    window.GoOnline(ConnectTargetOf(tag));
}
void CopyLines(TKlvForm& window, int tag) {
    window.CopyLines(CopyLinesOf(tag));
}
void RequestDeviceCommand(TKlvForm& window, int tag) {
    window.RequestDeviceCommand(tag);
}

TActionRow GoOnlineComRow(int port) {
    const QString number = QString::number(port);
    TActionRow row{.Name = "ActionGoOnlineCom" + number,
                   .Caption = "Go Online On Com" + number,
                   .Hint = "Connect to KELVO device on COM" + number,
                   .Tag = port,
                   .Category = "Connect",
                   .Enabled = Connectable,
                   .Execute = GoOnline,
                   .Menu = TActionMenu::GoOnline};
    // Com1 .. Com9 answer Ctrl+Shift+1 .. 9 and Com10 Ctrl+Shift+0; their
    // captions underline the key's digit.
    if (port <= 9) {
        row.Caption = "Go Online On Com&" + number;
        row.Keys = {"Ctrl+Shift+" + number};
    } else if (port == 10) {
        row.Caption = "Go Online On Com1&0";
        row.Keys = {"Ctrl+Shift+0"};
    }
    return row;
}

std::vector<TActionRow> MakeRows() {
    std::vector<TActionRow> rows = {
        {.Name = "ActionUndo",
         .Caption = "&Undo",
         .Hint = "Undo the last change of a value, in the device too if online",
         .Keys = {"Ctrl+Z"},
         .Category = "Edit",
         .Enabled = CanUndo,
         .Execute = [](TKlvForm& window, int) { window.Undo(); },
         .Menu = TActionMenu::Edit,
         .CaptionNow = UndoCaption},
        {.Name = "ActionRedo",
         .Caption = "&Redo",
         .Hint = "Redo the last change of a value that was undone",
         .Keys = {"Ctrl+Y"},
         .Category = "Edit",
         .Enabled = CanRedo,
         .Execute = [](TKlvForm& window, int) { window.Redo(); },
         .Menu = TActionMenu::Edit,
         .CaptionNow = RedoCaption},
        {.Name = "ActionCut",
         .Caption = "Cu&t\tCtrl+X / Shift+Del",
         .Hint = "Cut the current selection and put it on the clipboard",
         .Category = "Edit",
         .Execute = [](TKlvForm&, int) { SendShortcut(ShortcutCtrlX); },
         .Menu = TActionMenu::Edit,
         .SeparatorBefore = true,
         .Icon = IconCut},
        {.Name = "ActionCopy",
         .Caption = "&Copy\tCtrl+C / Ctrl+Ins",
         .Hint = "Copy the the current selection to the clipboard",
         .Category = "Edit",
         .Execute = [](TKlvForm&, int) { SendShortcut(ShortcutCtrlC); },
         .Menu = TActionMenu::Edit,
         .Icon = IconCopy},
        {.Name = "ActionPaste",
         .Caption = "&Paste\tCtrl+V / Shift+Ins",
         .Hint = "Paste the contents of the clipboard",
         .Category = "Edit",
         .Execute = [](TKlvForm&, int) { SendShortcut(ShortcutCtrlV); },
         .Menu = TActionMenu::Edit,
         .Icon = IconPaste},
        {.Name = "ActionGoOnlineLast",
         .Caption = "Go Online On &Last COM",
         .Hint = "Connect to KELVO device on the last selected COM port",
         .Keys = {"Ctrl+Shift+L"},
         .Tag = PortArgument(TConnectTarget::LastPort),
         .Category = "Connect",
         .Enabled = Connectable,
         .Execute = GoOnline,
         .Menu = TActionMenu::GoOnline,
         .SeparatorBefore = true},
    };
    for (int port = 1; port <= 20; ++port)
        rows.push_back(GoOnlineComRow(port));
    const QString copyHint = "Copy the selected lines as text to the clipboard";
    const std::vector<TActionRow> rest = {
        {.Name = "ActionGoOffline",
         .Caption = "Go O&ffline",
         .Hint = "Disconnect from KELVO device on selected COM port",
         .Keys = {"Ctrl+Shift+F"},
         .Tag = PortArgument(TConnectTarget::Offline),
         .Category = "Connect",
         .Enabled = Connectable,
         .Execute = GoOnline,
         .Menu = TActionMenu::Edit,
         .MenuHint = "Disconnect from KELVO device on active COM port"},
        {.Name = "ActionScanCom",
         .Caption = "&Scan COM ports",
         .Hint = "Scan all COM ports and try to connect to any KELVO device",
         .Keys = {"Ctrl+Shift+S"},
         .Tag = PortArgument(TConnectTarget::Scan),
         .Category = "Connect",
         .Enabled = Connectable,
         .Execute = GoOnline,
         .Menu = TActionMenu::Edit},
        {.Name = "ActionEditValue",
         .Caption = "Edit &Value",
         .Hint = "Edit the value of the current line and send it to the device if online",
         .Keys = {"F2"},
         .Category = "Edit",
         .Enabled = NotEmpty,
         .Execute = [](TKlvForm& window, int) { window.EditValue(); },
         .Menu = TActionMenu::Edit,
         .SeparatorBefore = true},
        {.Name = "ActionViewLog",
         .Caption = "&View Log",
         .Hint = "View logged KELVO messages",
         .Keys = {"Shift+Alt+L"},
         .Category = "View",
         .Execute = [](TKlvForm& window, int) { window.ShowLog(!window.LogVisible()); },
         .Menu = TActionMenu::View,
         .MenuCaption = "View &Log",
         .Checked = LogChecked},
        {.Name = "ActionUpdateLog",
         .Caption = "&Update Log",
         .Hint = "Update view of logged KELVO messages if online",
         .Keys = {"Shift+Alt+U"},
         .Category = "View",
         .Enabled = HasDocument,
         .Execute = [](TKlvForm& window, int) { window.UpdateLog(); },
         .Menu = TActionMenu::View},
        {.Name = "ActionSaveLog",
         .Caption = "&Save Log",
         .Hint = "Save logged KELVO messages to file",
         .Keys = {"Shift+Alt+S"},
         .Category = "View",
         .Enabled = Never,
         .Execute = [](TKlvForm& window, int) { window.ShowLog(true); },
         .Menu = TActionMenu::View},
        {.Name = "ActionFindNextError",
         .Caption = "Find Next &Error",
         .Hint = "Find next error in logged messages",
         .Keys = {"Shift+Alt+E"},
         .Category = "View",
         .Enabled = LogShown,
         .Execute = [](TKlvForm& window, int) { window.FindNextError(); },
         .Menu = TActionMenu::View},
        // The menu entries show F5 and F6; the actions also answer Ctrl+Shift+F5/F6.
        {.Name = "ActionProgramDevice",
         .Caption = "Progra&m Device",
         .Hint = "Program modifications in EEPROM of device",
         .Keys = {"F5", "Ctrl+Shift+F5"},
         .Tag = 2,
         .Category = "Edit",
         .Enabled = LinkOpen,
         .Execute = RequestDeviceCommand,
         .Menu = TActionMenu::Edit},
        {.Name = "ActionResetDevice",
         .Caption = "Rese&t Device",
         .Hint = "Cancel modifications and reload all values from EEPROM of device",
         .Keys = {"F6", "Ctrl+Shift+F6"},
         .Tag = 1,
         .Category = "Edit",
         .Enabled = LinkOpen,
         .Execute = RequestDeviceCommand,
         .Menu = TActionMenu::Edit},
        {.Name = "ActionCompareWithFile",
         .Caption = "Co&mpare with File...",
         .Hint = "Compare the device's values with a data file and write the chosen ones",
         .Category = "Edit",
         .Enabled = DeviceFree,
         .Execute = [](TKlvForm& window, int) { window.CompareWithFile(); },
         .Menu = TActionMenu::Edit},
        // Ctrl+C and Ctrl+Ins copy the selected lines where the list has the
        // focus; the menu entry sends Ctrl+C to whatever control has it.
        {.Name = "ActionCopyLines",
         .Caption = "Copy &Selected Lines",
         .Hint = copyHint,
         .Keys = {"Ctrl+C"},
         .Tag = int(TCopyLines::Selected),
         .Category = "Edit",
         .Enabled = Copyable,
         .Execute = CopyLines},
        {.Name = "ActionCopyLines2",
         .Caption = "Copy &Selected Lines",
         .Hint = copyHint,
         .Keys = {"Ctrl+Ins"},
         .Tag = int(TCopyLines::Selected),
         .Category = "Edit",
         .Enabled = Copyable,
         .Execute = CopyLines},
        {.Name = "ActionCopyLines0",
         .Caption = "Copy &Selected Lines\tCtrl+C / Ctrl+Ins",
         .Hint = copyHint,
         .Tag = int(TCopyLines::Selected),
         .Category = "Edit",
         .Enabled = Copyable,
         .Execute = [](TKlvForm&, int) { SendShortcut(ShortcutCtrlC); },
         .Menu = TActionMenu::Edit,
         .SeparatorBefore = true},
        {.Name = "ActionCopyAllLines",
         .Caption = "Copy &All Lines",
         .Hint = "Copy all lines as text to the clipboard",
         .Tag = int(TCopyLines::All),
         .Category = "Edit",
         .Enabled = Copyable,
         .Execute = CopyLines,
         .Menu = TActionMenu::Edit},
        {.Name = "ActionFindInList",
         .Caption = "&Find in List",
         .Hint = "Find lines in the list by their caption or value",
         .Keys = {"Ctrl+F"},
         .Category = "View",
         .Execute = [](TKlvForm& window, int) { window.FindInList(); },
         .Menu = TActionMenu::View,
         .SeparatorBefore = true},
        // Shown in the main window's File menu while the window is active.
        {.Name = "ActionFileExport",
         .Caption = "&Export...",
         .Hint = "Export the lines of the current file as CSV or JSON",
         .Category = "File",
         .Enabled = Exportable,
         .Execute = [](TKlvForm& window, int) { window.Export()->Execute(); },
         .Menu = TActionMenu::File},
    };
    rows.insert(rows.end(), rest.begin(), rest.end());
    return rows;
}

} // namespace

const std::vector<TActionRow>& EditorActionRows() {
    static const std::vector<TActionRow> rows = MakeRows();
    return rows;
}

TConnectTarget ConnectTargetOf(int tag) {
    if (tag == PortArgument(TConnectTarget::Scan))
        return TConnectTarget::Scan;
    // Any other negative Tag takes the link offline, as the online operation does.
    if (tag < 0)
        return TConnectTarget::Offline;
    return tag == 0 ? TConnectTarget::LastPort : ComPort(tag);
}

TCopyLines CopyLinesOf(int tag) {
    return tag == int(TCopyLines::All) ? TCopyLines::All : TCopyLines::Selected;
}

bool IsEnabled(const TActionRow& row, const TActionState& state) {
    return !row.Enabled || row.Enabled(state, row.Tag);
}

int ActionTag(const QAction* action) {
    return action ? action->data().toInt() : 0;
}

QString ActionCategory(const QAction* action) {
    return action ? action->property("category").toString() : QString();
}

void TEditorActions::Create(QObject* owner) {
    FAll.clear();
    for (const TActionRow& row : EditorActionRows()) {
        auto* action = new QAction(row.Caption, owner);
        action->setObjectName(row.Name);
        action->setStatusTip(row.Hint);
        action->setToolTip(row.Hint);
        QList<QKeySequence> keys;
        for (const QString& key : row.Keys)
            keys << QKeySequence(key);
        action->setShortcuts(keys);
        // Each editor window answers its own keys, from any of its controls.
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        action->setData(row.Tag);
        action->setProperty("category", row.Category);
        action->setCheckable(row.Checked != nullptr);
        if (row.Icon)
            action->setIcon(ToolbarIcon(*row.Icon));
        FAll.push_back(action);
    }
}

QAction* TEditorActions::operator[](std::string_view name) const {
    const QString wanted = QString::fromUtf8(name.data(), qsizetype(name.size()));
    for (QAction* action : FAll)
        if (action->objectName() == wanted)
            return action;
    return nullptr;
}

std::vector<QAction*> TEditorActions::InCategory(const QString& category) const {
    std::vector<QAction*> found;
    for (QAction* action : FAll)
        if (ActionCategory(action) == category)
            found.push_back(action);
    return found;
}

} // namespace kelvo
