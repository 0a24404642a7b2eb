// The parameter sheet: its text as a PDF reader extracts it (pdftotext), its
// pages, the lines that name the device, and File > Print... and Export PDF...
// of the main window with the files they write and the failures they report.
#include "editor/editor_fixture.h"
#include "editor/editor_settings.h"
#include "editor/parameter_sheet.h"
#include "editor/restore_snapshot_dialog.h"
#include "editor/sheet_commands.h"
#include "foundation/gui/oem_text.h"
#include "model/device_identity.h"
#include "shell/gui/mainform.h"
#include "shell/gui/mainwindow.h"
#include "support/file_size_limit.h"
#include "support/scripted_file_dialog.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QPrinter>
#include <QRegularExpression>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <unistd.h>

KELVO_GUI_TEST_ENVIRONMENT("editor_sheet_tests");

namespace kelvo::test {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string CommandOutput(const std::string& command) {
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            out.append(buffer, n);
        ::pclose(pipe);
    }
    return out;
}

// The text of a PDF file as pdftotext gives it, in the layout of the page
// (indentation as leading spaces); pages end with a form feed.
std::string PdfText(const std::string& path) {
    return CommandOutput("pdftotext -layout -enc UTF-8 '" + path + "' - 2>/dev/null");
}

std::vector<std::string> Pages(const std::string& text) {
    std::vector<std::string> pages;
    std::istringstream in(text);
    for (std::string page; std::getline(in, page, '\f');)
        if (!page.empty())
            pages.push_back(page);
    return pages;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// The line that holds text, -1 when none.
int LineWith(const std::vector<std::string>& lines, const std::string& text) {
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (lines[i].find(text) != std::string::npos)
            return int(i);
    return -1;
}

std::size_t Occurrences(const std::string& text, const std::string& what) {
    std::size_t count = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

// Where the first non-blank character of a line stands.
std::size_t Column(const std::string& line) {
    return line.find_first_not_of(' ');
}

using TScriptedSave = TScriptedFileDialog;

TSimLine Line(std::uint16_t address, std::uint16_t flags, std::uint16_t layout, std::string caption,
              TBytes raw = {}) {
    TSimLine line;
    line.Address = address;
    line.Flags = flags;
    line.Layout = layout;
    line.Caption = std::move(caption);
    line.Raw = std::move(raw);
    return line;
}

constexpr std::uint16_t Text = 0x0300;
constexpr std::uint16_t Label = 0x0F00;
constexpr std::uint16_t Separator = 0x0080;
constexpr std::uint16_t Indent1 = 0x0001;

// A dialog of 30 sections of 10 lines: several pages.
std::vector<TSimLine> LongDialog() {
    std::vector<TSimLine> lines{Line(0x0011, Text | 0x2000, 0, "Programmname", RawText("LONG V1"))};
    for (int section = 0; section < 30; ++section) {
        const auto base = static_cast<std::uint16_t>(0x0100 + 0x10 * section);
        lines.push_back(Line(base, Label | Separator, 0, "Section " + std::to_string(section)));
        for (int n = 1; n <= 10; ++n)
            lines.push_back(Line(base + n, Indent1, 0,
                                 "Parameter " + std::to_string(section * 100 + n),
                                 RawLong(section * 100 + n)));
    }
    return lines;
}

// The main window with one editor window in its area, the sheet commands in
// its File menu, and a folder for the files.
class Sheet : public EditorFixture {
protected:
    Sheet() {
        char folder[] = "/tmp/kelvo-sheet-XXXXXX";
        EXPECT_TRUE(::mkdtemp(folder));
        Dir = folder;
        Main.show();
        Commands = InstallParameterSheet(Main);
        auto dialog = std::make_unique<TScriptedSave>();
        Save = dialog.get();
        Commands->PdfDialog = std::move(dialog);
        Editor = NewEditor();
    }
    ~Sheet() override {
        EditorSettings().Language = SavedLanguage;
        for (QMdiSubWindow* child : Main.Children())
            delete child;
        DrainEvents();
        std::error_code ignored;
        fs::permissions(Dir, fs::perms::owner_all, ignored);
        fs::remove_all(Dir, ignored);
    }
    TKlvForm* NewEditor() {
        auto* editor = new TKlvForm(MainForm());
        ShowDocumentWindow(editor);
        Main.Area()->setActiveSubWindow(editor);
        return editor;
    }
    // Writes lines to a data file and opens it in the editor.
    void OpenLines(const std::vector<TSimLine>& lines, const std::string& name = "set.dat") {
        const TBytes bytes = WriteLineRecords(lines);
        DataFile = Path(name);
        std::ofstream(DataFile, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        TMemoryStream stream;
        stream.Write(bytes.data(), static_cast<std::int32_t>(bytes.size()));
        stream.Seek(0, 0);
        Editor->SetFileName(DataFile);
        Editor->LoadFromStream(&stream, static_cast<std::int64_t>(bytes.size()));
    }
    void SetLanguage(const char* language) {
        const int index = Editor->Controls().CmbxLanguage->findText(language);
        ASSERT_GE(index, 0) << language;
        Editor->Controls().CmbxLanguage->setCurrentIndex(index);
        emit Editor->Controls().CmbxLanguage->activated(index);
    }
    // Export PDF... answered with name; the text of the file written.
    std::string ExportedText(const std::string& name = "sheet.pdf") {
        Save->Answer = Path(name);
        EXPECT_TRUE(Commands->ExportPdf());
        return PdfText(Path(name));
    }
    TParameterSheet Built() { return BuildParameterSheet(*Editor->Kelvo(), SheetContext(*Editor)); }
    std::string Path(const std::string& name) const { return Dir + "/" + name; }
    std::vector<std::string> FolderNames() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(Dir))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    // The language is shared by every editor window, and so by the tests.
    std::string SavedLanguage = EditorSettings().Language;
    std::string Dir;
    std::string DataFile;
    TMainForm Main;
    TSheetCommands* Commands = nullptr;
    TScriptedSave* Save = nullptr;
    TKlvForm* Editor = nullptr;
};

TEST_F(Sheet, PdfToTextIsInstalled) {
    ASSERT_NE(CommandOutput("pdftotext -v 2>&1").find("pdftotext"), std::string::npos)
        << "the sheet tests read PDF files with pdftotext (poppler-utils)";
}

TEST_F(Sheet, ShowsTheListsLinesInTheShownLanguageUnderTheDevicesHeader) {
    OpenLines(Device->Dialog().Lines);
    SetLanguage("Deutsch");
    const std::string text = ExportedText();
    const std::vector<std::string> lines = Lines(text);
    ASSERT_FALSE(lines.empty());

    // The header: device, port, date, file and language.
    EXPECT_NE(LineWith(lines, "Kelvo Parameter Sheet"), -1) << text;
    const auto field = [&](const std::string& name, const std::string& value) {
        const int at = LineWith(lines, name + ":");
        ASSERT_NE(at, -1) << name << "\n" << text;
        EXPECT_NE(lines[at].find(value), std::string::npos) << lines[at];
    };
    field("Device program", "KT200 V2.14");
    field("Serial number", "204117");
    field("Device tag", "TT-101");
    field("Port", "Offline");
    field("File", DataFile);
    field("Language", "Deutsch");
    const int date = LineWith(lines, "Date:");
    ASSERT_NE(date, -1);
    EXPECT_TRUE(QRegularExpression(R"(Date:\s+\d{4}-\d\d-\d\d \d\d:\d\d)")
                    .match(QString::fromStdString(lines[date]))
                    .hasMatch())
        << lines[date];

    // The lines as the list shows them: translated, each instance of the
    // alarm group with its own expanded caption and value, and indented as
    // the list indents them.
    EXPECT_NE(LineWith(lines, "Temperatureinheit"), -1) << text;
    EXPECT_EQ(LineWith(lines, "Temperature unit"), -1) << "the caption the list no longer shows";
    const int group = LineWith(lines, "Grenzwert 1");
    const int second = LineWith(lines, "Grenzwert 2");
    const int setpoint = LineWith(lines, "Schaltpunkt");
    ASSERT_NE(group, -1) << text;
    ASSERT_NE(second, -1);
    ASSERT_GT(setpoint, group);
    EXPECT_GT(Column(lines[setpoint]), Column(lines[group])) << "a member below its instance";
    EXPECT_GT(Column(lines[group]), Column(lines[LineWith(lines, "Kanal 1")]));
    const int relay1 = LineWith(lines, "Relais K1 Verzögerung [s]");
    const int relay2 = LineWith(lines, "Relais K2 Verzögerung [s]");
    ASSERT_NE(relay1, -1) << "device text decoded from its code page\n" << text;
    ASSERT_GT(relay2, relay1);
    EXPECT_TRUE(QString::fromStdString(lines[relay2]).trimmed().endsWith(" 5")) << lines[relay2];
    EXPECT_NE(LineWith(lines, "Pt100"), -1) << "a choice's shown text";

    // The footer: the data file's checksum and the page.
    const std::string sum = CommandOutput("sha256sum '" + DataFile + "'").substr(0, 64);
    ASSERT_EQ(sum.size(), 64u);
    const int footer = LineWith(lines, sum);
    ASSERT_NE(footer, -1) << text;
    EXPECT_NE(lines[footer].find("SHA-256 of set.dat:"), std::string::npos) << lines[footer];
    EXPECT_EQ(Pages(text).size(), 1u);
    EXPECT_NE(LineWith(lines, "Page 1 of 1"), -1);
    EXPECT_LT(LineWith(lines, "Page 1 of 1"), int(lines.size()));
    EXPECT_GT(footer, relay2) << "below the lines";

    EXPECT_TRUE(Prompt.Asked.empty());
    EXPECT_FALSE(Editor->IsModifiedDocument()) << "a sheet is not a save";
}

TEST_F(Sheet, ALongDialogFillsSeveralNumberedPagesAndLosesNoLineAtTheBreaks) {
    OpenLines(LongDialog(), "long.dat");
    const std::string text = ExportedText("long.pdf");
    const std::vector<std::string> pages = Pages(text);
    ASSERT_GE(pages.size(), 3u) << text;
    const std::string sum = CommandOutput("sha256sum '" + DataFile + "'").substr(0, 64);
    const std::string of = " of " + std::to_string(pages.size());
    for (std::size_t page = 0; page < pages.size(); ++page) {
        EXPECT_EQ(Occurrences(pages[page], "Page " + std::to_string(page + 1) + of), 1u)
            << "page " << page + 1 << "\n"
            << pages[page];
        EXPECT_EQ(Occurrences(pages[page], sum), 1u) << "every page names the file's sum";
        EXPECT_EQ(Occurrences(pages[page], "Device program:"), page == 0 ? 1u : 0u);
        EXPECT_NE(pages[page].find("LONG V1"), std::string::npos) << "each page names the program";
        // A heading is followed by a line of its section on the same page.
        const std::vector<std::string> lines = Lines(pages[page]);
        const int last = [&] {
            int at = -1;
            for (std::size_t i = 0; i < lines.size(); ++i)
                if (lines[i].find("Section ") != std::string::npos &&
                    lines[i].find("LONG V1") == std::string::npos)
                    at = int(i);
            return at;
        }();
        if (last == -1)
            continue;
        std::size_t next = std::size_t(last) + 1;
        while (next < lines.size() && Column(lines[next]) == std::string::npos)
            ++next;
        ASSERT_LT(next, lines.size());
        EXPECT_NE(lines[next].find("Parameter "), std::string::npos)
            << "a heading alone at the foot of page " << page + 1;
    }
    for (int section = 0; section < 30; ++section) {
        EXPECT_EQ(Occurrences(text, "Section " + std::to_string(section) + "\n"), 1u) << section;
        for (int n = 1; n <= 10; ++n) {
            const std::string caption = "Parameter " + std::to_string(section * 100 + n) + " ";
            EXPECT_EQ(Occurrences(text, caption), 1u) << caption;
        }
    }
}

TEST_F(Sheet, FollowsWhatTheListShowsAndSaysWhenTheFileDoesNotHoldIt) {
    OpenLines(Device->Dialog().Lines);
    const TParameterSheet all = Built();
    ASSERT_EQ(int(all.Rows.size()), Editor->Kelvo()->List().GetRowCount());
    for (std::size_t row = 0; row < all.Rows.size(); ++row) {
        const TEntry* entry = Editor->Kelvo()->GetEntry(int(row));
        EXPECT_EQ(all.Rows[row].Caption, OemToQString(entry->GetText(0)));
        EXPECT_EQ(all.Rows[row].Value, OemToQString(entry->GetText(1)));
        EXPECT_EQ(all.Rows[row].Indent, entry->GetIndent());
        EXPECT_EQ(all.Rows[row].Heading, entry->Kind() == KindLabel && !all.Rows[row].Separator);
    }
    EXPECT_TRUE(std::any_of(all.Rows.begin(), all.Rows.end(),
                            [](const TSheetRow& row) { return row.Separator; }));
    EXPECT_EQ(all.Checksum.toStdString(),
              CommandOutput("sha256sum '" + DataFile + "'").substr(0, 64));

    // Lines hidden by the device (channel 2 off) or by the find field are not on it.
    Editor->Controls().EditFind->setText("delay");
    Editor->ApplyFilter();
    const TParameterSheet found = Built();
    ASSERT_LT(found.Rows.size(), all.Rows.size());
    EXPECT_EQ(int(found.Rows.size()), Editor->Kelvo()->List().GetRowCount());
    const auto has = [&](const char* caption) {
        return std::any_of(found.Rows.begin(), found.Rows.end(),
                           [&](const TSheetRow& row) { return row.Caption == caption; });
    };
    EXPECT_TRUE(has("Relay K2 delay [s]"));
    EXPECT_FALSE(has("Sensor type"));
    Editor->Controls().EditFind->clear();
    Editor->ApplyFilter();

    // After an edit the sum is of the saved file, and the sheet says so.
    TEntry* filter = nullptr;
    for (TEntry& entry : Editor->Kelvo()->Entries)
        if (entry.Address == 0x0025 && entry.Value)
            filter = &entry;
    ASSERT_TRUE(filter);
    filter->Value->SetText("750");
    Editor->SetDocumentModified(true);
    const TParameterSheet edited = Built();
    EXPECT_TRUE(std::any_of(edited.Rows.begin(), edited.Rows.end(), [](const TSheetRow& row) {
        return row.Caption == "Filter time [ms]" && row.Value == "750";
    }));
    EXPECT_EQ(edited.Checksum, all.Checksum);
    EXPECT_TRUE(edited.FileLabel.contains("before the changes shown"))
        << edited.FileLabel.toStdString();
    EXPECT_TRUE(std::any_of(edited.Header.begin(), edited.Header.end(), [](const TSheetField& f) {
        return f.Name == "File" && f.Value.endsWith("(with unsaved changes)");
    }));

    // A document no file holds has no sum.
    fs::remove(DataFile);
    EXPECT_EQ(Built().Checksum.toStdString(), "none, the lines are not in a saved data file");
}

TEST_F(Sheet, AnOnlineDocumentNamesItsPortAndPrintsTheDevicesValues) {
    Editor->LoadFromStream(nullptr, 0);
    for (int i = 0; i < 12; ++i) {
        Editor->Online()->Session().TickPending = true;
        bool done = false;
        Editor->Kelvo()->Idle(nullptr, done);
    }
    ASSERT_TRUE(Editor->Kelvo()->IsOnline());
    const TParameterSheet sheet = Built();
    const auto port = std::find_if(sheet.Header.begin(), sheet.Header.end(),
                                   [](const TSheetField& f) { return f.Name == "Port"; });
    ASSERT_NE(port, sheet.Header.end());
    EXPECT_EQ(port->Value.toStdString(), "COM1, online at 115200 Baud");
    EXPECT_EQ(sheet.Checksum.toStdString(), "none, the lines are not in a saved data file");
    EXPECT_EQ(sheet.Header.front().Value.toStdString(), "KT200 V2.14");
}

TEST(DeviceIdentity, TakesTheIdentificationLinesOfTheDialog) {
    TFileTypeKelvo document;
    const auto load = [&](const std::vector<TSimLine>& lines) {
        const TBytes bytes = WriteLineRecords(lines);
        TMemoryStream stream;
        stream.Write(bytes.data(), static_cast<std::int32_t>(bytes.size()));
        stream.Seek(0, 0);
        document.Entries.Clear();
        while (stream.Position() < stream.Size()) {
            TFileTypeKelvo::TEntry entry(&document);
            ASSERT_GE(entry.Read(stream), 0);
            document.Entries.push_back(entry);
        }
    };
    // A program name elsewhere counts only when the identification
    // addresses have none; a heading is no serial number.
    load({Line(0x0005, Text, 0, "Programmname", RawText("OTHER")),
          Line(0x0010, Label, 0, "Serial number"),
          Line(0x0012, Text | 0x2000, 0, "Programmname", RawText("KT100 V1.1")),
          Line(0x0013, 0, 0, "SERIAL NUMBER", RawLong(301000))});
    TDeviceIdentity identity = FindDeviceIdentity(document);
    EXPECT_EQ(identity.Program, "KT100 V1.1");
    EXPECT_EQ(identity.SerialNumber, "301000");
    EXPECT_EQ(identity.DeviceTag, "") << "this dialog has no tag";

    load({Line(0x0005, Text, 0, "Programmname", RawText("OTHER")),
          Line(0x0020, Text, 0, "Messstelle", RawText("TI-7"))});
    identity = FindDeviceIdentity(document);
    EXPECT_EQ(identity.Program, "OTHER");
    EXPECT_EQ(identity.SerialNumber, "");
    EXPECT_EQ(identity.DeviceTag, "TI-7");
}

TEST_F(Sheet, ExportPdfProposesTheDocumentsNameAndWritesAPdfFile) {
    OpenLines(Device->Dialog().Lines);
    Save->Answer = Path("out");
    ASSERT_TRUE(Commands->ExportPdf());
    EXPECT_EQ(Save->OfferedTitle, "Export PDF");
    EXPECT_EQ(Save->OfferedFilter, "PDF (*.pdf)|*.pdf");
    EXPECT_EQ(Save->Proposed, Path("set.pdf"));
    EXPECT_EQ(ReadFile(Path("out.pdf")).rfind("%PDF-", 0), 0u) << "the extension follows the type";

    Save->Answer.clear();
    EXPECT_FALSE(Commands->ExportPdf());
    EXPECT_EQ(FolderNames(), (std::vector<std::string>{"out.pdf", "set.dat"}));
    EXPECT_TRUE(Prompt.Asked.empty());
}

TEST_F(Sheet, AnExportThatCannotBeWrittenIsReportedAndLeavesTheOldFile) {
    OpenLines(Device->Dialog().Lines);
    Save->Answer = Path("gone/sheet.pdf");
    EXPECT_FALSE(Commands->ExportPdf());
    ASSERT_EQ(Prompt.Asked.size(), 1u);
    EXPECT_EQ(Prompt.Asked[0].Caption, "Export PDF");
    EXPECT_EQ(Prompt.Asked[0].Text,
              "Could not write \"" + Path("gone/sheet.pdf") + "\"!\nNo such file or directory.");
    EXPECT_EQ(Prompt.Asked[0].Icon, TPromptIcon::Error);

    std::ofstream(Path("sheet.pdf")) << "old sheet\n";
    {
        TFileSizeLimit full(64);
        Save->Answer = Path("sheet.pdf");
        EXPECT_FALSE(Commands->ExportPdf());
    }
    ASSERT_EQ(Prompt.Asked.size(), 2u);
    EXPECT_EQ(Prompt.Asked[1].Text,
              "Could not write \"" + Path("sheet.pdf") + "\"!\nFile too large.");
    EXPECT_EQ(ReadFile(Path("sheet.pdf")), "old sheet\n");
    EXPECT_EQ(FolderNames(), (std::vector<std::string>{"set.dat", "sheet.pdf"}))
        << "no part of the new file stays behind";
    EXPECT_FALSE(Editor->IsModifiedDocument());
}

TEST_F(Sheet, PrintDrawsTheSameSheetOnThePrinterTheUserChose) {
    OpenLines(Device->Dialog().Lines);
    int asked = 0;
    std::string printTo = Path("printed.pdf");
    Commands->PrintSetup = [&](QPrinter& printer, QWidget*) {
        ++asked;
        EXPECT_EQ(printer.docName().toStdString(), DataFile);
        if (printTo.empty())
            return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(printTo));
        return true;
    };
    ASSERT_TRUE(Commands->Print());
    const std::string text = PdfText(Path("printed.pdf"));
    EXPECT_NE(text.find("Relay K2 delay [s]"), std::string::npos) << text;
    EXPECT_NE(text.find("Page 1 of 1"), std::string::npos);
    EXPECT_NE(text.find("KT200 V2.14"), std::string::npos);

    printTo.clear();
    EXPECT_FALSE(Commands->Print()) << "cancelled";
    printTo = Path("gone/printed.pdf");
    EXPECT_FALSE(Commands->Print());
    EXPECT_EQ(asked, 3);
    ASSERT_EQ(Prompt.Asked.size(), 1u);
    EXPECT_EQ(Prompt.Asked[0].Caption, "Print");
    EXPECT_EQ(Prompt.Asked[0].Text,
              "Could not print the parameter sheet on \"" + Path("gone/printed.pdf") + "\"!");
}

TEST_F(Sheet, TheCommandsStandInTheFileMenuAndFollowTheActiveEditor) {
    emit Main.FileMenu()->aboutToShow();
    const QList<QAction*> menu = Main.FileMenu()->actions();
    const int print = menu.indexOf(Commands->PrintAction());
    ASSERT_NE(print, -1);
    EXPECT_EQ(menu.indexOf(Commands->ExportPdfAction()), print + 1);
    EXPECT_LT(print, menu.indexOf(Main.ActionFileClose));
    EXPECT_EQ(Commands->PrintAction()->text(), "P&rint...") << "p is Restore Snapshot's";
    EXPECT_EQ(Commands->ExportPdfAction()->text(), "Export P&DF...");
    EXPECT_FALSE(Commands->PrintAction()->isEnabled()) << "an empty editor has no sheet";

    // Each command of the File menu opens by a letter of its own, with the
    // program's other commands and the editor's Export there.
    InstallRestoreSnapshot(Main);
    emit Main.FileMenu()->aboutToShow();
    const auto letter = [](const QAction* action) {
        const QString text = action->text();
        const int at = text.indexOf('&');
        return at < 0 ? QChar() : text.at(at + 1).toLower();
    };
    for (const QAction* command : {Commands->PrintAction(), Commands->ExportPdfAction()}) {
        for (const QAction* action : Main.FileMenu()->actions()) {
            if (action == command || action->isSeparator())
                continue;
            EXPECT_NE(letter(action), letter(command))
                << action->text().toStdString() << " and " << command->text().toStdString();
        }
    }
    EXPECT_FALSE(Commands->ExportPdf());
    EXPECT_EQ(Save->Shown, 0);

    OpenLines(Device->Dialog().Lines);
    emit Main.FileMenu()->aboutToShow();
    EXPECT_TRUE(Commands->PrintAction()->isEnabled());
    EXPECT_TRUE(Commands->ExportPdfAction()->isEnabled());

    TKlvForm* other = NewEditor();
    emit Main.FileMenu()->aboutToShow();
    EXPECT_FALSE(Commands->ExportPdfAction()->isEnabled()) << "the active editor counts";
    Main.Area()->setActiveSubWindow(Editor);
    emit Main.FileMenu()->aboutToShow();
    EXPECT_TRUE(Commands->ExportPdfAction()->isEnabled());
    delete other;
    delete Editor;
    Editor = nullptr;
    DrainEvents();
    emit Main.FileMenu()->aboutToShow();
    EXPECT_FALSE(Commands->PrintAction()->isEnabled()) << "no window, no sheet";
}

} // namespace
} // namespace kelvo::test
