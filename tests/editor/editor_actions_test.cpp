// The table of the editor's actions on its own: what a row may not get wrong
// without a window noticing at once, and what the Tags of the connect and copy
// actions stand for.
#include "editor/editor_actions.h"

#include <gtest/gtest.h>

#include <QKeySequence>

#include <map>
#include <set>

namespace kelvo::test {
namespace {

const TActionRow* RowNamed(const QString& name) {
    for (const TActionRow& row : EditorActionRows())
        if (row.Name == name)
            return &row;
    return nullptr;
}

TEST(EditorActionTable, EveryRowIsNamedOnceReachableRunsSomethingAndHasKeysOfItsOwn) {
    std::set<QString> names;
    // Two actions of one window with the same key make the key ambiguous:
    // neither runs.
    std::map<QKeySequence, QString> keys;
    for (const TActionRow& row : EditorActionRows()) {
        EXPECT_TRUE(names.insert(row.Name).second) << row.Name.toStdString();
        EXPECT_TRUE(row.Name.startsWith("Action")) << row.Name.toStdString();
        EXPECT_FALSE(row.Caption.isEmpty()) << row.Name.toStdString();
        EXPECT_FALSE(row.Hint.isEmpty()) << row.Name.toStdString();
        EXPECT_TRUE(row.Execute) << row.Name.toStdString() << " runs nothing";
        EXPECT_TRUE(row.Menu != TActionMenu::None || !row.Keys.isEmpty())
            << row.Name.toStdString() << " is in no menu and has no key";
        for (const QString& key : row.Keys) {
            const QKeySequence sequence(key);
            EXPECT_FALSE(sequence.isEmpty()) << row.Name.toStdString() << ": " << key.toStdString();
            const auto [held, added] = keys.emplace(sequence, row.Name);
            EXPECT_TRUE(added) << key.toStdString() << " of " << row.Name.toStdString() << " and "
                               << held->second.toStdString();
        }
    }
    EXPECT_EQ(names.size(), 42u)
        << "the menus' actions, the copy keys, Find in List, Export, Undo and Redo";
}

TEST(EditorActionTable, ConnectTagsNameTheTargetsOfTheOnlineOperation) {
    EXPECT_EQ(ConnectTargetOf(-2), TConnectTarget::Scan);
    EXPECT_EQ(ConnectTargetOf(-1), TConnectTarget::Offline);
    EXPECT_EQ(ConnectTargetOf(-7), TConnectTarget::Offline) << "any other negative Tag";
    EXPECT_EQ(ConnectTargetOf(0), TConnectTarget::LastPort);
    EXPECT_EQ(ConnectTargetOf(17), ComPort(17));

    int connect = 0;
    for (const TActionRow& row : EditorActionRows()) {
        if (row.Category != "Connect")
            continue;
        ++connect;
        // The online operation is asked about, and given, the action's Tag as port.
        EXPECT_EQ(PortArgument(ConnectTargetOf(row.Tag)), row.Tag) << row.Name.toStdString();
    }
    EXPECT_EQ(connect, 23) << "Last COM, Com1 .. Com20, Go Offline, Scan";
    EXPECT_EQ(RowNamed("ActionGoOnlineLast")->Tag, 0);
    EXPECT_EQ(RowNamed("ActionGoOnlineCom20")->Tag, 20);
    EXPECT_EQ(RowNamed("ActionGoOffline")->Tag, -1);
    EXPECT_EQ(RowNamed("ActionScanCom")->Tag, -2);
}

TEST(EditorActionTable, TheConnectRuleAsksTheOnlineOperationAboutTheActionsTarget) {
    const TActionRow& com5 = *RowNamed("ActionGoOnlineCom5");
    TActionState state;
    EXPECT_FALSE(IsEnabled(com5, state)) << "no online operation";
    std::vector<TConnectTarget> asked;
    state.CanConnect = [&asked](TConnectTarget target) {
        asked.push_back(target);
        return target != ComPort(5);
    };
    EXPECT_FALSE(IsEnabled(com5, state));
    EXPECT_TRUE(IsEnabled(*RowNamed("ActionScanCom"), state));
    EXPECT_EQ(asked, (std::vector<TConnectTarget>{ComPort(5), TConnectTarget::Scan}));
}

TEST(EditorActionTable, CopyingTheSelectionNeedsTheFocusedListCopyingAllOnlyLines) {
    EXPECT_EQ(CopyLinesOf(0), TCopyLines::Selected);
    EXPECT_EQ(CopyLinesOf(1), TCopyLines::All);
    const TActionRow& all = *RowNamed("ActionCopyAllLines");
    EXPECT_EQ(CopyLinesOf(all.Tag), TCopyLines::All);
    TActionState state;
    state.Document = true;
    state.Empty = false;
    EXPECT_TRUE(IsEnabled(all, state));
    for (const char* name : {"ActionCopyLines", "ActionCopyLines2", "ActionCopyLines0"}) {
        const TActionRow& selected = *RowNamed(name);
        EXPECT_EQ(CopyLinesOf(selected.Tag), TCopyLines::Selected) << name;
        state.SelectionFocused = false;
        EXPECT_FALSE(IsEnabled(selected, state)) << name;
        state.SelectionFocused = true;
        EXPECT_TRUE(IsEnabled(selected, state)) << name;
    }
    state.Empty = true;
    EXPECT_FALSE(IsEnabled(all, state)) << "nothing to copy";
    EXPECT_FALSE(IsEnabled(*RowNamed("ActionCopyLines"), state));
}

} // namespace
} // namespace kelvo::test
