// The window's side of the action table: the actions made from its rows and
// connected to their operations, the Edit and View menus that show them, and
// their enabling, which follows the window's state.
#include "editor/klvform.h"

#include "editor/export_action.h"
#include "editor/value_history.h"
#include "online/kelvo_online.h"

#include <QAction>
#include <QMenu>
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

void TKlvForm::BuildActions() {
    FActions.Create(this);
    const std::vector<TActionRow>& rows = EditorActionRows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        QAction* action = FActions.All()[i];
        addAction(action);
        if (const auto execute = rows[i].Execute)
            connect(action, &QAction::triggered, this,
                    [this, action, execute] { execute(*this, ActionTag(action)); });
    }
}

void TKlvForm::BuildMenus() {
    FEditMenu = new QMenu("&Edit", this);
    FEditMenu->setToolTip("Edit commands");
    FEditMenu->menuAction()->setStatusTip("Edit commands");
    FViewMenu = new QMenu("&View", this);
    FViewMenu->menuAction()->setStatusTip("View commands");
    QMenu* goOnline = nullptr;
    const std::vector<TActionRow>& rows = EditorActionRows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const TActionRow& row = rows[i];
        QMenu* menu = row.Menu == TActionMenu::Edit       ? FEditMenu
                      : row.Menu == TActionMenu::View     ? FViewMenu
                      : row.Menu == TActionMenu::GoOnline ? goOnline
                                                          : nullptr;
        // The submenu stands in the Edit menu where its first action comes,
        // after that action's separator.
        const bool opensSubmenu = row.Menu == TActionMenu::GoOnline && !goOnline;
        if (opensSubmenu)
            menu = FEditMenu;
        if (!menu)
            continue;
        if (row.SeparatorBefore)
            menu->addSeparator();
        if (opensSubmenu) {
            menu = goOnline = FEditMenu->addMenu(GoOnlineMenuTitle);
            goOnline->menuAction()->setStatusTip(GoOnlineMenuHint);
        }
        QAction* action = FActions.All()[i];
        if (row.MenuCaption.isEmpty() && row.MenuHint.isEmpty())
            menu->addAction(action);
        else
            menu->addAction(MenuEntry(this, action,
                                      row.MenuCaption.isEmpty() ? action->text() : row.MenuCaption,
                                      row.MenuHint.isEmpty() ? action->statusTip() : row.MenuHint));
    }
    for (QMenu* menu : {FEditMenu, FViewMenu, goOnline})
        if (menu)
            connect(menu, &QMenu::aboutToShow, this, &TKlvForm::UpdateActions);
}

QList<QAction*> TKlvForm::FileMenuActions() const {
    QList<QAction*> actions;
    const std::vector<TActionRow>& rows = EditorActionRows();
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i].Menu == TActionMenu::File)
            actions << FActions.All()[i];
    return actions;
}

TActionState TKlvForm::ActionState() const {
    TActionState state;
    const TFileTypeKelvo* document = Kelvo();
    state.Document = document != nullptr;
    state.Empty = IsEmptyDocument();
    state.LinkOpen = document && FOnline && FOnline->IsOnline();
    state.LogVisible = LogVisible();
    state.DeviceFree = CanTalkToDevice();
    state.SelectionFocused = KelvoListView->hasFocus() && KelvoListView->selectionModel() &&
                             KelvoListView->selectionModel()->hasSelection();
    state.ExportRows = document && HasExportRows(*document);
    if (const TValueHistory* history = FHistory.get()) {
        state.UndoText = history->UndoText();
        state.RedoText = history->RedoText();
        state.CanUndo = history->CanUndo();
        state.CanRedo = history->CanRedo();
    }
    if (const TKelvoOnline* online = FOnline.get())
        state.CanConnect = [online](TConnectTarget target) { return online->CanConnect(target); };
    return state;
}

void TKlvForm::UpdateActions() {
    const TActionState state = ActionState();
    const std::vector<TActionRow>& rows = EditorActionRows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        QAction* action = FActions.All()[i];
        action->setEnabled(IsEnabled(rows[i], state));
        if (rows[i].Checked)
            action->setChecked(rows[i].Checked(state));
        if (rows[i].CaptionNow)
            action->setText(rows[i].CaptionNow(state));
    }
}

} // namespace kelvo
