// The filter above the parameter list in the editor window: typed text,
// Escape and Ctrl+F, "Changed only", copying the shown rows, and the filter
// while the window is online with the virtual device.
#include "editor/editor_fixture.h"
#include "editor/editor_settings.h"
#include "foundation/codepage.h"
#include "shell/gui/filesaveform.h"
#include "support/scripted_file_dialog.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTest>
#include <QTreeView>

#include <filesystem>
#include <stdlib.h>

namespace kelvo::test {
namespace {

using TRows = std::vector<std::string>;

class Filter : public EditorFixture {
protected:
    // The language chosen is shared by every window, and outlives a test.
    Filter() { EditorSettings() = TEditorSettings{}; }
    ~Filter() override { EditorSettings() = TEditorSettings{}; }

    // The captions of the rows shown, as the list shows them; "-" a separator.
    TRows Rows() {
        TRows out;
        const TSortVListView& list = Doc().List();
        for (int row = 0; row < list.GetRowCount(); ++row) {
            const TEntry* e = Doc().GetEntry(row);
            out.push_back(!e || e->IsBlank() ? "-" : OemToUtf8(e->GetText(0)));
        }
        return out;
    }
    TRows Find(const QString& text) {
        Form->Controls().EditFind->setText(text);
        return Rows();
    }
    void Key(QWidget* target, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(target, &press);
    }
    // Edits the value of the line at address offline, as the value dialog would.
    void EditTo(std::uint16_t address, const std::string& text, int instance = 0) {
        SelectRow(RowOf(EditorFixture::Find(address, instance)));
        Values.Texts.push_back(text);
        Form->EditValue();
    }
    std::vector<QString> ClipboardLines() {
        std::vector<QString> out;
        for (const QString& line : QGuiApplication::clipboard()->text().split("\r\n"))
            out.push_back(line);
        return out;
    }
};

TEST_F(Filter, TypedTextKeepsMatchingCaptionsAndValuesWithTheirHeadings) {
    LoadDeviceDialog();
    const int all = Doc().List().GetRowCount();
    EXPECT_EQ(Find("range"), (TRows{"Channel 1", "Range start", "Range end", "-", "Channel 2",
                                    "Range start", "Range end"}));
    EXPECT_EQ(Find("RANGE END"), (TRows{"Channel 1", "Range end", "-", "Channel 2", "Range end"}));
    // Channel 1's sensor is a Pt100; "Pt1000" is only one of the choices.
    EXPECT_EQ(Find("pt100"), (TRows{"Channel 1", "Sensor type"})) << "by the shown value";
    EXPECT_EQ(Find("K2 delay"), (TRows{"Alarm limits", "-", "Alarm 2", "Relay K2 delay [s]"}))
        << "a group member keeps its instance and its group";
    // The About tab and the status text count the rows shown.
    Form->Controls().TabbedPages->setCurrentWidget(Form->Controls().TabAbout);
    EXPECT_NE(Form->Controls().MemoAbout->toPlainText().indexOf("lines (4 visible)"), -1);
    Form->Controls().TabbedPages->setCurrentWidget(Form->Controls().TabDisplay);
    EXPECT_EQ(Form->StatusText().rfind("Line 1/4: ", 0), 0u) << Form->StatusText();

    EXPECT_EQ(Find("").size(), std::size_t(all));
}

TEST_F(Filter, ACaptionMatchesInTheShownLanguageOnly) {
    LoadDeviceDialog();
    const int german = Form->Controls().CmbxLanguage->findText("Deutsch");
    ASSERT_GE(german, 0) << "the demonstration's translation file";
    Form->Controls().CmbxLanguage->setCurrentIndex(german);
    emit Form->Controls().CmbxLanguage->activated(german);
    ASSERT_EQ(OemToUtf8(EditorFixture::Find(0x0022)->GetText(0)), "Fühlertyp");

    // Upper-case letters beyond ASCII find their lower-case forms.
    const TRows rows = Find("FÜHLER");
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[1], "Fühlertyp");
    EXPECT_EQ(rows[4], "Fühlertyp");
    EXPECT_EQ(Find("Sensor type"), TRows{}) << "the caption the list no longer shows";
    EXPECT_EQ(Form->StatusText(), "No line matches \"Sensor type\"");
    // A translated choice is found by the text shown, too.
    EXPECT_EQ(Find("überschreitung").size(), 7u) << "the group, two alarms, two directions";
}

TEST_F(Filter, EscapeClearsTheFieldAndGoesBackToTheList) {
    LoadDeviceDialog();
    const std::size_t all = Rows().size();
    Form->Controls().EditFind->setFocus();
    SelectRow(3);
    Form->Controls().EditFind->setFocus();
    Find("filter");
    ASSERT_EQ(Rows().size(), 5u);
    SelectRow(4); // Channel 2's filter time
    const TEntry* chosen = Doc().GetEntry(4);
    Form->Controls().EditFind->setFocus();
    ASSERT_TRUE(Form->Controls().EditFind->hasFocus());

    Key(Form->Controls().EditFind, Qt::Key_Escape);
    EXPECT_TRUE(Form->Controls().EditFind->text().isEmpty());
    EXPECT_TRUE(Form->Controls().KelvoListView->hasFocus());
    EXPECT_EQ(Rows().size(), all);
    // The line found is still the current one, now among all the others.
    EXPECT_EQ(Doc().GetEntry(Form->Controls().KelvoListView->currentIndex().row()), chosen);

    // Return in the field goes to the list and keeps the filter.
    Form->Controls().EditFind->setFocus();
    Form->Controls().EditFind->setText("range");
    Key(Form->Controls().EditFind, Qt::Key_Return);
    EXPECT_TRUE(Form->Controls().KelvoListView->hasFocus());
    EXPECT_EQ(Rows().size(), 7u);
}

TEST_F(Filter, CtrlFFocusesTheFieldFromTheListAndFromAnotherTab) {
    LoadDeviceDialog();
    Form->Controls().EditFind->setText("range");
    SelectRow(2);
    ASSERT_TRUE(Form->Controls().KelvoListView->hasFocus());
    QTest::keyClick(Form->Controls().KelvoListView, Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(Form->Controls().EditFind->hasFocus());
    EXPECT_EQ(Form->Controls().EditFind->selectedText(), "range") << "typing replaces the old text";
    // Tab goes on to the box, then into the list.
    QTest::keyClick(Form->Controls().EditFind, Qt::Key_Tab);
    EXPECT_TRUE(Form->Controls().CkbxChangedOnly->hasFocus());
    QTest::keyClick(Form->Controls().CkbxChangedOnly, Qt::Key_Tab);
    EXPECT_TRUE(Form->Controls().KelvoListView->hasFocus());
    QTest::keyClick(Form->Controls().KelvoListView, Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(Form->Controls().EditFind->hasFocus());

    Form->Controls().TabbedPages->setCurrentWidget(Form->Controls().TabAbout);
    Form->Controls().MemoAbout->setFocus();
    QTest::keyClick(Form->Controls().MemoAbout, Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(Form->Controls().TabbedPages->currentWidget(), Form->Controls().TabDisplay);
    EXPECT_TRUE(Form->Controls().EditFind->hasFocus());

    // The same command stands in the View menu.
    EXPECT_TRUE(Form->ViewMenu()->actions().contains(Form->Actions()["ActionFindInList"]));
    EXPECT_EQ(Form->Actions()["ActionFindInList"]->shortcut(), QKeySequence("Ctrl+F"));
}

TEST_F(Filter, CopyLinesCopiesTheRowsShown) {
    LoadDeviceDialog();
    Find("range end");
    Form->CopyLines(TCopyLines::All);
    std::vector<QString> lines = ClipboardLines();
    ASSERT_EQ(lines.size(), 2u + 5u + 1u) << "header, empty line, rows, and the last CR LF";
    EXPECT_TRUE(lines[2].startsWith("Channel 1 "));
    EXPECT_TRUE(lines[3].startsWith("  Range end "));
    EXPECT_TRUE(lines[3].endsWith("150"));
    EXPECT_EQ(lines[4], "");
    EXPECT_TRUE(lines[6].endsWith("100"));

    SelectRow(3);
    EXPECT_TRUE(Enabled(Form->Actions()["ActionCopyLines"]));
    Form->CopyLines(TCopyLines::Selected);
    lines = ClipboardLines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_TRUE(lines[2].startsWith("Channel 2 "));
}

TEST_F(Filter, ChangedOnlyShowsTheLinesEditedSinceTheFileWasLoaded) {
    LoadDeviceDialog();
    Form->Controls().CkbxChangedOnly->setChecked(true);
    EXPECT_EQ(Rows(), TRows{});
    EXPECT_EQ(Form->StatusText(), "No line differs from the file");
    EXPECT_TRUE(Form->Controls().LabelNoMatch->isVisibleTo(Form));
    EXPECT_EQ(Form->Controls().LabelNoMatch->text(), "No line differs from the file.");
    Form->Controls().CkbxChangedOnly->setChecked(false);
    EXPECT_FALSE(Form->Controls().LabelNoMatch->isVisibleTo(Form));

    EditTo(0x0025, "750");
    EditTo(0x0045, "900");
    EditTo(0x0062, "85", 1);
    Form->Controls().CkbxChangedOnly->setChecked(true);
    EXPECT_EQ(Rows(), (TRows{"Channel 1", "Filter time [ms]", "-", "Channel 2", "Filter time [ms]",
                             "-", "Alarm limits", "-", "Alarm 2", "Setpoint"}));
    // Both filters at once.
    EXPECT_EQ(Find("filter"),
              (TRows{"Channel 1", "Filter time [ms]", "-", "Channel 2", "Filter time [ms]"}));
    EXPECT_EQ(Find("900"), (TRows{"Channel 2", "Filter time [ms]"}));
    EXPECT_EQ(Find("range"), TRows{});
    EXPECT_EQ(Form->StatusText(), "No changed line matches \"range\"");
    EXPECT_EQ(Form->Controls().LabelNoMatch->text(), "No changed line matches \"range\".");
}

// Answers the save dialog with a name in a scratch folder.
using TChosenName = TScriptedFileDialog;

TEST_F(Filter, SavingMakesTheWrittenFileTheOneChangedOnlyComparesWith) {
    LoadDeviceDialog();
    EditTo(0x0025, "750");
    Form->Controls().CkbxChangedOnly->setChecked(true);
    ASSERT_EQ(Rows().size(), 2u);
    char folder[] = "/tmp/kelvo-filter-save-XXXXXX";
    ASSERT_TRUE(::mkdtemp(folder));

    // A copy is not the document's file.
    TChosenName copy;
    copy.Tag = TFilesaveForm::TagSaveCopyAs;
    copy.Answer = std::string(folder) + "/copy.dat";
    TFilesaveForm::Save(Form, &copy);
    ASSERT_TRUE(std::filesystem::exists(copy.Answer));
    EXPECT_EQ(Rows().size(), 2u);

    TChosenName saveAs;
    saveAs.Tag = TFilesaveForm::TagSaveAs;
    saveAs.Answer = std::string(folder) + "/device.dat";
    TFilesaveForm::Save(Form, &saveAs);
    ASSERT_FALSE(Form->IsModifiedDocument());
    EXPECT_EQ(Rows(), TRows{}) << "nothing differs from the file just written";
    std::filesystem::remove_all(folder);
}

TEST_F(Filter, ANewDocumentHasNoFileSoEveryValueCountsAsChanged) {
    Form->LoadFromStream(nullptr, 0);
    ASSERT_TRUE(Doc().IsOnline());
    Form->Controls().CkbxChangedOnly->setChecked(true);
    const TRows rows = Rows();
    EXPECT_EQ(std::count(rows.begin(), rows.end(), "Device tag"), 1);
    EXPECT_EQ(std::count(rows.begin(), rows.end(), "Measured value"), 0) << "live lines drift";
    EXPECT_FALSE(Form->FileValues().HasFile());
}

TEST_F(Filter, OnlineTheShownRowsKeepBeingRefreshedAndRebuiltRowsAreFilteredAgain) {
    LoadDeviceDialog();
    GoOnline(ComPort(1));
    ASSERT_TRUE(Doc().IsOnline());
    EXPECT_EQ(Find("measured"),
              (TRows{"Channel 1", "Measured value", "-", "Channel 2", "Measured value"}));
    SelectRow(1);

    // A live value shown is read again on every cycle.
    Device->SetWorkingValue(demo::Channel1Value, 0, RawDouble(55.0));
    for (int i = 0; i < 3; ++i)
        Cycle();
    const double shown = std::stod(EditorFixture::Find(demo::Channel1Value)->Value->GetText());
    EXPECT_NEAR(shown, 55.0, 0.5);
    EXPECT_LE(Session().RowCursor, Doc().List().GetRowCount());

    // Channel 2 switched off at the device: its lines go, the filter stays.
    Device->SetWorkingValue(demo::Channel2Enable, 0, RawChoice(0));
    for (int i = 0; i < 60 && Rows().size() != 2u; ++i)
        Cycle();
    EXPECT_EQ(Rows(), (TRows{"Channel 1", "Measured value"}));
    EXPECT_EQ(Form->Controls().EditFind->text(), "measured");

    // An edit of a shown row goes to the device as always.
    Find("filter time");
    EditTo(0x0025, "640");
    for (int i = 0; i < 5; ++i)
        Cycle();
    ASSERT_NE(Device->WorkingValue(0x0025), nullptr);
    EXPECT_EQ(*Device->WorkingValue(0x0025), RawLong(640));
    EXPECT_EQ(Rows(), (TRows{"Channel 1", "Filter time [ms]"}));
}

} // namespace
} // namespace kelvo::test
