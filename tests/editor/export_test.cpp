// File > Export... of an editor window: the dialog, the files it writes, what
// happens when they cannot be written, and its place in the main window's
// File menu.
#include "editor/editor_fixture.h"
#include "editor/export_action.h"
#include "report/export_lines.h"
#include "shell/gui/inihlst.h"
#include "shell/gui/mainform.h"
#include "shell/gui/mainwindow.h"
#include "shell/settings/ini_file.h"
#include "support/file_size_limit.h"
#include "support/scripted_file_dialog.h"

#include <QAction>
#include <QMdiArea>
#include <QMenu>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <unistd.h>

namespace kelvo::test {
namespace {

namespace fs = std::filesystem;

// Answers the save dialog with a name and a file type (the first unless the
// test picks another), and keeps what it was offered.
class TScriptedSave : public TScriptedFileDialog {
public:
    TScriptedSave() { AnswerIndex = 1; }
};

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> FolderNames(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class Export : public EditorFixture {
protected:
    Export() {
        char folder[] = "/tmp/kelvo-export-XXXXXX";
        EXPECT_TRUE(::mkdtemp(folder));
        Dir = folder;
        SetIniFileName(Dir + "/kelvow32.ini");
        Out = Dir + "/out";
        fs::create_directory(Out);
        auto dialog = std::make_unique<TScriptedSave>();
        Save = dialog.get();
        Form->Export()->Dialog = std::move(dialog);
    }
    ~Export() override {
        CloseIniHlst();
        SetIniFileName({});
        std::error_code ignored;
        fs::permissions(Out, fs::perms::owner_all, ignored);
        fs::remove_all(Dir, ignored);
    }
    QAction* Action() { return Form->Actions()["ActionFileExport"]; }
    bool ExportAs(const std::string& name, int type) {
        Save->Answer = name;
        Save->AnswerIndex = type;
        return Form->Export()->Execute();
    }

    // A file in the folder the exports go to.
    std::string Path(const std::string& name) const { return Out + "/" + name; }

    std::string Dir;
    std::string Out;
    TScriptedSave* Save = nullptr;
};

TEST_F(Export, WritesTheShownLinesOfAGroupWithTwoInstancesAsCsvAndJson) {
    LoadDeviceDialog();
    ASSERT_FALSE(Form->IsModifiedDocument());
    ASSERT_TRUE(ExportAs(Path("report.csv"), TExportAction::FormatCsv));
    EXPECT_EQ(Save->OfferedTitle, "Export");
    EXPECT_EQ(Save->OfferedFilter, "CSV (*.csv)|*.csv|JSON (*.json)|*.json");
    EXPECT_EQ(Save->Proposed, "set.csv") << "named after the document";
    const std::string csv = ReadFile(Path("report.csv"));
    EXPECT_EQ(csv, ExportCsv(ExportRows(Doc())));
    EXPECT_EQ(
        csv.rfind("address,instance,caption,caption_untranslated,value,kind,flags,layout\r\n", 0),
        0u);
    EXPECT_NE(csv.find("\r\n0x0065,0,Relay K1 delay [s],Relay K1 delay [s],5,long,"),
              std::string::npos)
        << csv;
    EXPECT_NE(csv.find("\r\n0x0065,1,Relay K2 delay [s],Relay K2 delay [s],5,long,"),
              std::string::npos);

    ASSERT_TRUE(ExportAs(Path("report.json"), TExportAction::FormatJson));
    const std::string json = ReadFile(Path("report.json"));
    EXPECT_EQ(json, ExportJson(ExportRows(Doc())));
    EXPECT_EQ(json.front(), '[');
    EXPECT_NE(json.find("{\"address\":\"0x0065\",\"instance\":1,\"member\":true,"
                        "\"caption\":\"Relay K2 delay [s]\""),
              std::string::npos)
        << json;
    Save->Answer.clear();
    Form->Export()->Execute();
    EXPECT_EQ(Save->Proposed, "set.json") << "the type chosen last time is offered again";

    EXPECT_FALSE(Form->IsModifiedDocument()) << "exporting is not saving";
    EXPECT_EQ(Form->GetFileName(), "set.dat");
    EXPECT_TRUE(Prompt.Asked.empty());
    EXPECT_EQ(FolderNames(Out), (std::vector<std::string>{"report.csv", "report.json"}))
        << "no temporary file stays behind";
}

TEST_F(Export, TheExtensionFollowsTheChosenType) {
    LoadDeviceDialog();
    ASSERT_TRUE(ExportAs(Path("values"), TExportAction::FormatJson));
    EXPECT_EQ(Save->FileName, Path("values.json"));
    ASSERT_TRUE(ExportAs(Path("table.json"), TExportAction::FormatCsv));
    EXPECT_EQ(Save->FileName, Path("table.csv"));
    ASSERT_TRUE(ExportAs(Path("TABLE.CSV"), TExportAction::FormatCsv));
    EXPECT_EQ(FolderNames(Out), (std::vector<std::string>{"TABLE.CSV", "table.csv", "values.json"}))
        << "a name with the type's extension stays as typed";
    EXPECT_EQ(ReadFile(Path("values.json")).front(), '[');
    EXPECT_EQ(ReadFile(Path("table.csv")).rfind("address,", 0), 0u);
}

TEST_F(Export, CancellingTheDialogWritesNothing) {
    LoadDeviceDialog();
    Save->Answer.clear();
    EXPECT_FALSE(Form->Export()->Execute());
    EXPECT_EQ(Save->Shown, 1);
    EXPECT_TRUE(FolderNames(Out).empty());
    EXPECT_TRUE(Prompt.Asked.empty());
}

TEST_F(Export, AFileThatCannotBeWrittenIsNamedAndLeavesNothingBehind) {
    LoadDeviceDialog();
    const std::string missing = Path("gone/report.csv");
    EXPECT_FALSE(ExportAs(missing, TExportAction::FormatCsv));
    ASSERT_EQ(Prompt.Asked.size(), 1u);
    EXPECT_EQ(Prompt.Asked[0].Caption, "Export");
    EXPECT_EQ(Prompt.Asked[0].Text,
              "Could not write \"" + missing + "\"!\nNo such file or directory.");
    EXPECT_EQ(Prompt.Asked[0].Icon, TPromptIcon::Error);

    fs::create_directory(Path("folder.csv"));
    EXPECT_FALSE(ExportAs(Path("folder.csv"), TExportAction::FormatCsv));
    EXPECT_EQ(Prompt.Asked.back().Text,
              "Could not write \"" + Path("folder.csv") + "\"!\nIt is a folder.");
    EXPECT_EQ(FolderNames(Out), std::vector<std::string>{"folder.csv"});

    if (::geteuid() != 0) {
        // A folder without write permission (root writes anyway).
        fs::permissions(Out, fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_FALSE(ExportAs(Path("report.csv"), TExportAction::FormatCsv));
        EXPECT_EQ(Prompt.Asked.back().Text,
                  "Could not write \"" + Path("report.csv") + "\"!\nPermission denied.");
        fs::permissions(Out, fs::perms::owner_all);
    }
    EXPECT_EQ(FolderNames(Out), std::vector<std::string>{"folder.csv"});
    EXPECT_FALSE(Form->IsModifiedDocument());
}

TEST_F(Export, AWriteCutShortKeepsTheOldFileAndLeavesNoPartOfTheNewOne) {
    LoadDeviceDialog();
    std::ofstream(Path("report.csv")) << "old report\n";
    {
        TFileSizeLimit limit(64);
        EXPECT_FALSE(ExportAs(Path("report.csv"), TExportAction::FormatCsv));
    }
    ASSERT_EQ(Prompt.Asked.size(), 1u);
    EXPECT_EQ(Prompt.Asked[0].Text,
              "Could not write \"" + Path("report.csv") + "\"!\nFile too large.");
    EXPECT_EQ(ReadFile(Path("report.csv")), "old report\n");
    EXPECT_EQ(FolderNames(Out), std::vector<std::string>{"report.csv"});
}

TEST_F(Export, AnOnlineDocumentExportsTheValuesTheListShows) {
    LoadDeviceDialog();
    GoOnline(ComPort(1));
    ASSERT_TRUE(Device->SetWorkingValue(0x0025, 0, {0x80, 0x02, 0x00, 0x00}));
    TEntry* filter = Find(0x0025);
    ASSERT_TRUE(filter);
    for (int i = 0; i < 200 && filter->Value->GetText() != "640"; ++i)
        Cycle();
    ASSERT_EQ(filter->Value->GetText(), "640");
    ASSERT_TRUE(ExportAs(Path("online.csv"), TExportAction::FormatCsv));
    EXPECT_NE(ReadFile(Path("online.csv"))
                  .find("\r\n0x0025,0,Filter time [ms],"
                        "Filter time [ms],640,long,"),
              std::string::npos);
    EXPECT_TRUE(Doc().IsOnline()) << "exporting does not disturb the device";
}

TEST_F(Export, IsEnabledOnlyWithLinesToExport) {
    EXPECT_FALSE(Action()->isEnabled()) << "no document";
    Form->UpdateActions();
    EXPECT_FALSE(Action()->isEnabled());
    EXPECT_FALSE(Form->Export()->Execute());
    EXPECT_EQ(Save->Shown, 0);
    LoadDeviceDialog();
    Form->UpdateActions();
    EXPECT_TRUE(Action()->isEnabled());
}

// The main window's File menu with editor windows in its area.
class ExportInTheFileMenu : public Export {
protected:
    ExportInTheFileMenu() { Main.show(); }
    ~ExportInTheFileMenu() override {
        for (QMdiSubWindow* child : Main.Children())
            delete child;
        DrainEvents();
    }
    TKlvForm* NewEditor() {
        auto* editor = new TKlvForm(MainForm());
        ShowDocumentWindow(editor);
        Main.Area()->setActiveSubWindow(editor);
        return editor;
    }
    // The File menu as it opens.
    QList<QAction*> OpenFileMenu() {
        emit Main.FileMenu()->aboutToShow();
        return Main.FileMenu()->actions();
    }
    TMainForm Main;
};

TEST_F(ExportInTheFileMenu, StandsAfterSaveCopyAsWhileAnEditorIsActiveAndIsEnabledAsItOpens) {
    QList<QAction*> menu = OpenFileMenu();
    EXPECT_EQ(menu.indexOf(Main.ActionFileCopyAs) + 2, menu.indexOf(Main.ActionFileClose))
        << "no window, no Export";

    TKlvForm* first = NewEditor();
    menu = OpenFileMenu();
    QAction* exportFirst = first->Actions()["ActionFileExport"];
    ASSERT_EQ(menu.indexOf(exportFirst), menu.indexOf(Main.ActionFileCopyAs) + 1);
    EXPECT_EQ(exportFirst->text(), "&Export...");
    EXPECT_FALSE(exportFirst->isEnabled()) << "an empty window has nothing to export";

    const TBytes bytes = WriteLineRecords(Device->Dialog().Lines);
    TMemoryStream stream;
    stream.Write(bytes.data(), static_cast<std::int32_t>(bytes.size()));
    stream.Seek(0, 0);
    first->SetFileName("first.dat");
    first->LoadFromStream(&stream, static_cast<std::int64_t>(bytes.size()));
    exportFirst->setEnabled(false); // as the last idle left it
    menu = OpenFileMenu();
    EXPECT_TRUE(exportFirst->isEnabled()) << "enabled by the menu's opening, without idle time";

    TKlvForm* second = NewEditor();
    menu = OpenFileMenu();
    EXPECT_EQ(menu.indexOf(exportFirst), -1) << "only the active window's Export";
    EXPECT_EQ(menu.indexOf(second->Actions()["ActionFileExport"]),
              menu.indexOf(Main.ActionFileCopyAs) + 1);
    EXPECT_FALSE(second->Actions()["ActionFileExport"]->isEnabled());

    Main.Area()->setActiveSubWindow(first);
    menu = OpenFileMenu();
    EXPECT_NE(menu.indexOf(exportFirst), -1);
    EXPECT_EQ(menu.indexOf(second->Actions()["ActionFileExport"]), -1);

    second->close();
    first->close();
    DrainEvents();
    menu = OpenFileMenu();
    EXPECT_EQ(menu.indexOf(Main.ActionFileCopyAs) + 2, menu.indexOf(Main.ActionFileClose));
}

} // namespace
} // namespace kelvo::test
