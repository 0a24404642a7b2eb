#include "editor/klvform.h"

#include "devicelink/port_diagnosis.h"
#include "devicelink/serialline.h"
#include "editor/send_shortcut.h"
#include "foundation/gui/oem_text.h"
#include "foundation/prompt.h"
#include "online/kelvo_online.h"
#include "shell/gui/toolbar_icons.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTreeView>

namespace kelvo {

namespace {

// A menu entry that stands for an action under a caption or hint of its own:
// it shows the action's shortcut, follows its enabled and checked state and
// runs it. The entry holds no shortcut itself, so the key stays the action's.
QAction* MenuEntry(QObject* owner, QAction* action, const QString& caption, const QString& hint) {
    auto* entry = new QAction(owner);
    const QString keys = action->shortcut().toString(QKeySequence::NativeText);
    entry->setText(keys.isEmpty() ? caption : caption + '\t' + keys);
    entry->setStatusTip(hint);
    entry->setToolTip(hint);
    entry->setCheckable(action->isCheckable());
    entry->setMenuRole(QAction::NoRole);
    const auto follow = [entry, action] {
        entry->setEnabled(action->isEnabled());
        entry->setChecked(action->isChecked());
        entry->setVisible(action->isVisible());
    };
    follow();
    QObject::connect(action, &QAction::changed, entry, follow);
    QObject::connect(entry, &QAction::triggered, action, [action, follow] {
        action->trigger();
        follow();
    });
    return entry;
}

} // namespace

void TKlvForm::BuildMenus() {
    const TEditorActions& a = FActions;
    // Cut, Copy and Paste look as the toolbar's.
    a.ActionCut->setIcon(ToolbarIcon(IconCut));
    a.ActionCopy->setIcon(ToolbarIcon(IconCopy));
    a.ActionPaste->setIcon(ToolbarIcon(IconPaste));
    FEditMenu = new QMenu("&Edit", this);
    FEditMenu->setToolTip("Edit commands");
    FEditMenu->addAction(a.ActionCut);
    FEditMenu->addAction(a.ActionCopy);
    FEditMenu->addAction(a.ActionPaste);
    FEditMenu->addSeparator();
    QMenu* goOnline = FEditMenu->addMenu("Go O&nline");
    goOnline->menuAction()->setStatusTip("Connect to KELVO device on COM port");
    goOnline->addAction(a.ActionGoOnlineLast);
    for (QAction* com : a.ActionGoOnlineCom)
        goOnline->addAction(com);
    FEditMenu->addAction(MenuEntry(this, a.ActionGoOffline, a.ActionGoOffline->text(),
                                   "Disconnect from KELVO device on active COM port"));
    FEditMenu->addAction(a.ActionScanCom);
    FEditMenu->addSeparator();
    FEditMenu->addAction(a.ActionEditValue);
    FEditMenu->addAction(a.ActionProgramDevice);
    FEditMenu->addAction(a.ActionResetDevice);
    BuildCompareAction();
    FEditMenu->addAction(ActionCompareWithFile);
    FEditMenu->addSeparator();
    FEditMenu->addAction(a.ActionCopyLines0);
    FEditMenu->addAction(a.ActionCopyAllLines);
    FEditMenu->menuAction()->setStatusTip("Edit commands");

    FViewMenu = new QMenu("&View", this);
    FViewMenu->menuAction()->setStatusTip("View commands");
    FViewMenu->addAction(
        MenuEntry(this, a.ActionViewLog, "View &Log", a.ActionViewLog->statusTip()));
    FViewMenu->addAction(a.ActionUpdateLog);
    FViewMenu->addAction(a.ActionSaveLog);
    FViewMenu->addAction(a.ActionFindNextError);

    for (QMenu* menu : {FEditMenu, FViewMenu, goOnline})
        connect(menu, &QMenu::aboutToShow, this, &TKlvForm::UpdateActions);

    connect(a.ActionCut, &QAction::triggered, this, [] { SendShortcut(ShortcutCtrlX); });
    connect(a.ActionCopy, &QAction::triggered, this, [] { SendShortcut(ShortcutCtrlC); });
    connect(a.ActionPaste, &QAction::triggered, this, [] { SendShortcut(ShortcutCtrlV); });
    connect(a.ActionCopyLines0, &QAction::triggered, this, [] { SendShortcut(ShortcutCtrlC); });
    connect(a.ActionEditValue, &QAction::triggered, this, [this] { EditValue(); });
    for (QAction* action : a.Connect)
        connect(action, &QAction::triggered, this, [this, action] { GoOnline(ActionTag(action)); });
    connect(a.ActionViewLog, &QAction::triggered, this, [this] { ShowLog(!LogVisible()); });
    connect(a.ActionUpdateLog, &QAction::triggered, this, [this] { UpdateLog(); });
    connect(a.ActionSaveLog, &QAction::triggered, this, [this] { ShowLog(true); });
    connect(a.ActionFindNextError, &QAction::triggered, this, [this] { FindNextError(); });
    for (QAction* action : {a.ActionProgramDevice, a.ActionResetDevice})
        connect(action, &QAction::triggered, this,
                [this, action] { RequestDeviceCommand(ActionTag(action)); });
    for (QAction* action : {a.ActionCopyLines, a.ActionCopyLines2, a.ActionCopyAllLines})
        connect(action, &QAction::triggered, this,
                [this, action] { CopyLines(ActionTag(action)); });
}

void TKlvForm::UpdateActions() {
    const TEditorActions& a = FActions;
    const TFileTypeKelvo* document = Kelvo();
    const bool empty = IsEmptyDocument();
    const bool linkOpen = document && FOnline && FOnline->IsOnline();
    a.ActionEditValue->setEnabled(!empty);
    for (QAction* action : a.Connect)
        action->setEnabled(FOnline && FOnline->CanConnect(ActionTag(action)));
    a.ActionViewLog->setChecked(LogVisible());
    a.ActionUpdateLog->setEnabled(document != nullptr);
    a.ActionSaveLog->setEnabled(false);
    a.ActionFindNextError->setEnabled(LogVisible());
    a.ActionProgramDevice->setEnabled(linkOpen);
    a.ActionResetDevice->setEnabled(linkOpen);
    ActionCompareWithFile->setEnabled(CanTalkToDevice());
    // Copying the selection needs the list to have the focus; otherwise the
    // keys belong to the control that has it.
    const bool selection = KelvoListView->hasFocus() && KelvoListView->selectionModel() &&
                           KelvoListView->selectionModel()->hasSelection();
    for (QAction* action :
         {a.ActionCopyLines, a.ActionCopyLines2, a.ActionCopyLines0, a.ActionCopyAllLines})
        action->setEnabled(!empty && (ActionTag(action) == 1 || selection));
}

void TKlvForm::CopyLines(int tag) {
    if (!Kelvo())
        return;
    const std::string text = CopyLinesText(*Kelvo(), tag == 1);
    if (text.empty())
        return;
    QGuiApplication::clipboard()->setText(OemToQString(text));
}

void TKlvForm::FindNextError() {
    if (!LogVisible())
        ShowLog(true);
    TabbedPages->setCurrentWidget(TabLog);
    RichEditLog->setFocus();
    QTextCursor cursor = RichEditLog->textCursor();
    const QString text = RichEditLog->toPlainText();
    const auto found = text.indexOf("M=-", cursor.position(), Qt::CaseInsensitive);
    if (found < 0) {
        Prompt().Ask("Find Next Error", "No more errors found!", TPromptIcon::None,
                     TPromptButtons::Ok);
        return;
    }
    cursor.setPosition(int(found) + 2);
    RichEditLog->setTextCursor(cursor);
    RichEditLog->ensureCursorVisible();
}

void TKlvForm::GoOnline(int tag) {
    if (!FOnline)
        return;
    FOnline->GoOnline(tag, 0);
    NotePortProblem();
    FLanguageMark = 0;
    SyncOptions();
    DocumentChanged();
    UpdateStatus();
}

void TKlvForm::NotePortProblem() {
    FPortProblem.clear();
    if (!FOnline || FOnline->LastOutcome() != TKelvoOnline::TOutcome::PortMissing || !Kelvo())
        return;
    const int port = FOnline->Session().Stream().Port();
    const std::string reason = PortOpenFailureReason(PortDeviceName(port));
    FPortProblem = PortProblem(reason.empty() ? "it could not be opened" : reason);
}

std::string TKlvForm::PortProblem(const std::string& reason) const {
    const TKelvoStream& stream = FOnline->Session().Stream();
    return stream.PortName() + " is " + PortDeviceName(stream.Port()) + ": " + reason;
}

void TKlvForm::RequestDeviceCommand(int tag) {
    if (FOnline && Kelvo())
        FOnline->RequestDeviceCommand(DeviceRequestFromTag(tag));
}

void TKlvForm::EditValue() {
    if (!Kelvo() || !FOnline)
        return;
    if (FOnline->EditValue(this, -1))
        DocumentChanged();
    UpdateStatus();
}

} // namespace kelvo
