// File > Device History...: the change journal's entries of the active
// editor window's device, by serial number or else by port, the filter
// field, Export CSV... and the command in the File menu.
#include "compare_fixture.h"

#include "editor/device_history_window.h"
#include "journal/journal_format.h"
#include "shell/gui/mainwindow.h"
#include "support/scripted_file_dialog.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

namespace kelvo::test {

namespace {

// Answers the save dialog with a file of the test's choice.
using TSaveAs = TScriptedFileDialog;

// The demonstration dialog without a serial number line.
TSimDialog DemoWithoutSerialNumber() {
    TSimDialog d = DemoWithEditableLiveLine();
    for (TSimLine& line : d.Lines)
        if (line.Address == 0x0013)
            line.Caption = "Hardware revision";
    return d;
}

class DeviceHistory : public CompareFixture {
protected:
    explicit DeviceHistory(TSimDialog dialog = DemoWithEditableLiveLine())
        : CompareFixture(std::move(dialog)) {}
    ~DeviceHistory() override {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<TDeviceHistoryWindow*>(w))
                delete w;
    }
    void SetUp() override {
        CompareFixture::SetUp();
        // The editor is the window the user works in.
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(Form.data(), &activate);
    }
    void Record(const char* time, const char* serial, const char* port, std::uint16_t address,
                const char* oldValue, const char* newValue, TJournalResult result,
                TJournalSource source) {
        TChangeJournal journal;
        ASSERT_TRUE(journal.Open().Ok());
        TJournalEntry e;
        e.Time = time;
        e.Login = "anna";
        e.Host = "bench-1";
        e.Port = port;
        e.Program = "KT200 V2.14";
        e.Serial = serial;
        e.Address = address;
        e.Caption = "Filter time [ms]";
        e.OldValue = oldValue;
        e.NewValue = newValue;
        e.Result = result;
        e.Source = source;
        ASSERT_TRUE(journal.Record(e).Ok());
    }
    // The demonstration device written three times, another device once.
    void RecordSome() {
        Record("2026-12-07T09:00:00.000Z", "204117", "COM1", 0x25, "500", "600",
               TJournalResult::Equal, TJournalSource::Edit);
        Record("2026-12-08T10:00:00.000Z", "999999", "COM1", 0x25, "500", "700",
               TJournalResult::Equal, TJournalSource::Kelvoctl);
        Record("2026-12-09T11:00:00.000Z", "204117", "COM3", 0x25, "600", "7x",
               TJournalResult::Refused, TJournalSource::Compare);
        Record("2026-12-09T12:00:00.000Z", "204117", "COM1", 0x25, "600", "500",
               TJournalResult::Equal, TJournalSource::Undo);
    }
    static std::vector<std::string> Rows(const TDeviceHistoryWindow& w) {
        std::vector<std::string> rows;
        for (int i = 0; i < w.Table->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = w.Table->topLevelItem(i);
            if (item->isHidden())
                continue;
            std::string row;
            for (int c = 0; c < TDeviceHistoryWindow::ColumnCount; ++c)
                row += (c ? " | " : "") + item->text(c).toStdString();
            rows.push_back(row);
        }
        return rows;
    }
};

class DeviceHistoryByPort : public DeviceHistory {
protected:
    DeviceHistoryByPort() : DeviceHistory(DemoWithoutSerialNumber()) {}
};

} // namespace

TEST_F(DeviceHistory, ShowsTheActiveDevicesEntriesNewestFirstWhereverItWasConnected) {
    RecordSome();
    TDeviceHistoryWindow* window = ShowDeviceHistory(nullptr);
    ASSERT_TRUE(window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isModal());
    EXPECT_EQ(window->Device().Serial, "204117");
    EXPECT_EQ(window->Device().Port, "COM1");
    EXPECT_EQ(window->windowTitle(), "Device History - SN 204117 (KT200 V2.14)");
    EXPECT_EQ(Rows(*window),
              (std::vector<std::string>{
                  "2026-12-09 12:00:00 | 0x0025 | Filter time [ms] | 600 | 500 | equal | undo | "
                  "anna@bench-1 | COM1",
                  "2026-12-09 11:00:00 | 0x0025 | Filter time [ms] | 600 | 7x | refused | "
                  "compare | anna@bench-1 | COM3",
                  "2026-12-07 09:00:00 | 0x0025 | Filter time [ms] | 500 | 600 | equal | edit | "
                  "anna@bench-1 | COM1"}));
    EXPECT_EQ(window->Hint->text(), "3 values written into SN 204117 (KT200 V2.14), newest first:");

    // Asked again, the same window comes up with what was written since.
    Record("2026-12-09T13:00:00.000Z", "204117", "COM1", 0x25, "500", "550",
           TJournalResult::Different, TJournalSource::Edit);
    EXPECT_EQ(ShowDeviceHistory(nullptr), window);
    EXPECT_EQ(Rows(*window).size(), 4u);
}

TEST_F(DeviceHistory, TheFilterNarrowsTheRowsAndExportWritesThoseShown) {
    RecordSome();
    TDeviceHistoryWindow window(EditorDevice(*Form));
    window.EditFilter->setText("REFUSED");
    ASSERT_EQ(Rows(window).size(), 1u);
    EXPECT_NE(Rows(window)[0].find("| 7x |"), std::string::npos);
    EXPECT_EQ(window.Hint->text(),
              "1 of 3 values written into SN 204117 (KT200 V2.14) hold \"REFUSED\":");

    auto dialog = std::make_unique<TSaveAs>(Scratch + "/history");
    TSaveAs* save = dialog.get();
    window.ExportDialog = std::move(dialog);
    ASSERT_TRUE(window.ExportCsv());
    EXPECT_EQ(save->Proposed, "history-SN_204117__KT200_V2.14_.csv");
    std::ifstream in(Scratch + "/history.csv", std::ios::binary);
    const std::string csv{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(csv, JournalCsv(window.ShownEntries()));
    EXPECT_NE(csv.find("\r\n2026-12-09T11:00:00.000Z,anna,bench-1,COM3,"), std::string::npos)
        << csv;
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 2) << "the header and the one row";

    window.EditFilter->setText("nothing like this");
    EXPECT_TRUE(Rows(window).empty());
    EXPECT_FALSE(window.ButtonExport->isEnabled());
    window.EditFilter->clear();
    EXPECT_EQ(Rows(window).size(), 3u);

    // A file that cannot be written says so and leaves nothing behind.
    Prompt.Asked.clear();
    std::filesystem::create_directory(Scratch + "/taken.csv");
    window.ExportDialog = std::make_unique<TSaveAs>(Scratch + "/taken.csv");
    EXPECT_FALSE(window.ExportCsv());
    ASSERT_EQ(Prompt.Asked.size(), 1u);
    EXPECT_EQ(Prompt.Asked[0].Caption, "Device History");
    EXPECT_NE(Prompt.Asked[0].Text.find("taken.csv"), std::string::npos);
}

TEST_F(DeviceHistory, NoEntriesOrAnUnreadableJournalAreSaid) {
    TDeviceHistoryWindow empty(EditorDevice(*Form));
    EXPECT_EQ(empty.Table->topLevelItemCount(), 0);
    EXPECT_EQ(empty.Hint->text(), "No values have been written into SN 204117 (KT200 V2.14) yet.");
    EXPECT_FALSE(empty.ButtonExport->isEnabled());

    const std::string broken = Scratch + "/broken.sqlite";
    std::ofstream(broken) << std::string(2048, '#');
    TDeviceHistoryWindow unreadable(EditorDevice(*Form), nullptr, broken);
    EXPECT_EQ(unreadable.Hint->text().toStdString().rfind(
                  "The change journal cannot be read: cannot read the change journal " + broken, 0),
              0u)
        << unreadable.Hint->text().toStdString();
}

TEST_F(DeviceHistoryByPort, ADeviceWithoutSerialNumberIsFoundByItsPort) {
    Record("2026-12-08T10:00:00.000Z", "", "COM1", 0x25, "500", "700", TJournalResult::Equal,
           TJournalSource::Edit);
    Record("2026-12-08T11:00:00.000Z", "", "COM2", 0x25, "500", "800", TJournalResult::Equal,
           TJournalSource::Edit);
    Record("2026-12-08T12:00:00.000Z", "204117", "COM1", 0x25, "500", "900", TJournalResult::Equal,
           TJournalSource::Edit);
    TDeviceHistoryWindow* window = ShowDeviceHistory(nullptr);
    ASSERT_TRUE(window);
    EXPECT_EQ(window->Device().Serial, "");
    EXPECT_EQ(window->windowTitle(), "Device History - COM1");
    const auto rows = Rows(*window);
    ASSERT_EQ(rows.size(), 2u) << "the entries of COM1, whatever device they name";
    EXPECT_NE(rows[0].find("| 900 |"), std::string::npos);
    EXPECT_NE(rows[1].find("| 700 |"), std::string::npos);
}

TEST_F(DeviceHistory, TheCommandStandsInTheFileMenuAndNeedsAnEditorWindow) {
    TMainForm main;
    QAction* action = InstallDeviceHistory(main);
    ASSERT_TRUE(action);
    EXPECT_EQ(action->text(), "Device &History...");
    EXPECT_TRUE(main.FileMenu()->actions().contains(action));
    emit main.FileMenu()->aboutToShow();
    EXPECT_FALSE(action->isEnabled()) << "the main window's area holds no editor";

    Prompt.Asked.clear();
    EXPECT_FALSE(ShowDeviceHistory(&main));
    ASSERT_EQ(Prompt.Asked.size(), 1u);
    EXPECT_EQ(Prompt.Asked[0].Text, "No device window is active.");
    EXPECT_TRUE(main.findChildren<TDeviceHistoryWindow*>().isEmpty());
}

} // namespace kelvo::test
