#include "editor/editor_actions.h"

#include <QAction>
#include <QKeySequence>
#include <QVariant>

namespace kelvo {

namespace {

QAction* Make(QObject* owner, std::vector<QAction*>& all, const QString& caption,
              const QString& hint, const QList<QKeySequence>& shortcuts, int tag,
              const char* category) {
    auto* action = new QAction(caption, owner);
    action->setStatusTip(hint);
    action->setToolTip(hint);
    action->setShortcuts(shortcuts);
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    action->setData(tag);
    action->setProperty("category", QString::fromLatin1(category));
    all.push_back(action);
    return action;
}

QKeySequence Keys(const char* text) {
    return QKeySequence(QString::fromLatin1(text));
}

} // namespace

int ActionTag(const QAction* action) {
    return action ? action->data().toInt() : 0;
}

QString ActionCategory(const QAction* action) {
    return action ? action->property("category").toString() : QString();
}

void TEditorActions::Create(QObject* owner) {
    auto& a = All;
    ActionCut = Make(owner, a, "Cu&t\tCtrl+X / Shift+Del",
                     "Cut the current selection and put it on the clipboard", {}, 0, "Edit");
    ActionCopy = Make(owner, a, "&Copy\tCtrl+C / Ctrl+Ins",
                      "Copy the the current selection to the clipboard", {}, 0, "Edit");
    ActionPaste = Make(owner, a, "&Paste\tCtrl+V / Shift+Ins",
                       "Paste the contents of the clipboard", {}, 0, "Edit");
    ActionEditValue = Make(owner, a, "Edit &Value",
                           "Edit the value of the current line and send it to the device if online",
                           {Keys("F2")}, 0, "Edit");
    ActionGoOnlineLast = Make(owner, a, "Go Online On &Last COM",
                              "Connect to KELVO device on the last selected COM port",
                              {Keys("Ctrl+Shift+L")}, 0, "Connect");
    Connect.push_back(ActionGoOnlineLast);
    for (int n = 1; n <= 20; ++n) {
        QString caption;
        QList<QKeySequence> keys;
        if (n <= 9) {
            caption = QString("Go Online On Com&%1").arg(n);
            keys = {QKeySequence(QString("Ctrl+Shift+%1").arg(n))};
        } else if (n == 10) {
            caption = "Go Online On Com1&0";
            keys = {Keys("Ctrl+Shift+0")};
        } else {
            caption = QString("Go Online On Com%1").arg(n);
        }
        ActionGoOnlineCom[n - 1] =
            Make(owner, a, caption, QString("Connect to KELVO device on COM%1").arg(n), keys, n,
                 "Connect");
        Connect.push_back(ActionGoOnlineCom[n - 1]);
    }
    ActionGoOffline =
        Make(owner, a, "Go O&ffline", "Disconnect from KELVO device on selected COM port",
             {Keys("Ctrl+Shift+F")}, -1, "Connect");
    ActionScanCom = Make(owner, a, "&Scan COM ports",
                         "Scan all COM ports and try to connect to any KELVO device",
                         {Keys("Ctrl+Shift+S")}, -2, "Connect");
    Connect.push_back(ActionGoOffline);
    Connect.push_back(ActionScanCom);
    ActionViewLog =
        Make(owner, a, "&View Log", "View logged KELVO messages", {Keys("Shift+Alt+L")}, 0, "View");
    ActionViewLog->setCheckable(true);
    ActionUpdateLog =
        Make(owner, a, "&Update Log", "Update view of logged KELVO messages if online",
             {Keys("Shift+Alt+U")}, 0, "View");
    ActionSaveLog = Make(owner, a, "&Save Log", "Save logged KELVO messages to file",
                         {Keys("Shift+Alt+S")}, 0, "View");
    ActionFindNextError = Make(owner, a, "Find Next &Error", "Find next error in logged messages",
                               {Keys("Shift+Alt+E")}, 0, "View");
    // The menu entries show F5 and F6; the actions also answer Ctrl+Shift+F5/F6.
    ActionProgramDevice =
        Make(owner, a, "Progra&m Device", "Program modifications in EEPROM of device",
             {Keys("F5"), Keys("Ctrl+Shift+F5")}, 2, "Edit");
    ActionResetDevice = Make(owner, a, "Rese&t Device",
                             "Cancel modifications and reload all values from EEPROM of device",
                             {Keys("F6"), Keys("Ctrl+Shift+F6")}, 1, "Edit");
    const QString copyHint = "Copy the selected lines as text to the clipboard";
    ActionCopyLines = Make(owner, a, "Copy &Selected Lines", copyHint, {Keys("Ctrl+C")}, 0, "Edit");
    ActionCopyLines2 =
        Make(owner, a, "Copy &Selected Lines", copyHint, {Keys("Ctrl+Ins")}, 0, "Edit");
    ActionCopyLines0 =
        Make(owner, a, "Copy &Selected Lines\tCtrl+C / Ctrl+Ins", copyHint, {}, 0, "Edit");
    ActionCopyAllLines =
        Make(owner, a, "Copy &All Lines", "Copy all lines as text to the clipboard", {}, 1, "Edit");
}

} // namespace kelvo
