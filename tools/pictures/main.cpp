// Renders the windows to PNG files, so that they can be looked at without a
// display: the editor window with the demonstration device online (one
// picture per tab), the two value dialogs, the device history and the first
// page of a parameter sheet.
#include "editor/device_history_window.h"
#include "editor/klvform.h"
#include "editor/parameter_sheet.h"
#include "editor/restore_snapshot_dialog.h"
#include "editor/sheet_commands.h"
#include "editor/value_dialogs.h"
#include "foundation/prompt.h"
#include "foundation/stream.h"
#include "journal/change_journal.h"
#include "model/dlglinevalue_choice.h"
#include "online/kelvo_online.h"
#include "shell/gui/aboutbox.h"
#include "shell/gui/filedialog.h"
#include "shell/gui/helpwindow.h"
#include "shell/gui/mainform.h"
#include "shell/gui/mainwindow.h"
#include "shell/gui/ports_dialog.h"
#include "shell/gui/qtprompt.h"
#include "shell/gui/recovery.h"
#include "shell/gui/registerform.h"
#include "shell/gui/toolbar_icons.h"
#include "snapshots/snapshots.h"
#include "tools/vdevice/demo_dialog.h"
#include "tools/vdevice/virtual_line.h"
#include "translations/mlparas.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTreeView>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>

namespace {

using namespace kelvo;

// Every box is answered with its first button, silently.
class TQuietPrompt : public TPrompt {
public:
    int Ask(const std::string&, const std::string&, TPromptIcon, TPromptButtons buttons) override {
        return DefaultAnswer(buttons);
    }
};

bool Save(QWidget* widget, const QDir& dir, const QString& name) {
    const QString path = dir.filePath(name + ".png");
    if (!widget->grab().save(path)) {
        std::fprintf(stderr, "kelvo-pictures: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

class TKlvFormKind : public TRegisterCustomForm<TKlvForm> {
public:
    std::string FilterText() const override { return TKlvForm::FileFilter; }
};

void RunCycles(TKlvForm& form, int cycles) {
    for (int i = 0; i < cycles; ++i) {
        form.Online()->Session().TickPending = true;
        bool done = false;
        form.Kelvo()->Idle(nullptr, done);
    }
}

// The main window with two editors: one online with the virtual device, one
// holding the demonstration data file; then the special options, the About
// box, the recovery question and a help page.
bool MainWindowPictures(const QDir& dir) {
    bool ok = true;
    TKlvFormKind kind;
    TMainForm main;
    main.resize(900, 640);
    main.show();
    main.StartUp();
    auto* online = new TKlvForm(&main);
    ShowDocumentWindow(online);
    online->LoadFromStream(nullptr, 0);
    RunCycles(*online, 12);
    main.OpenFile(DataDirectory() + "/dialogs/demo.dat");
    main.TileVertically();
    main.Area()->setActiveSubWindow(online);
    QApplication::processEvents();
    ok = Save(&main, dir, "main-window") && ok;

    online->Controls().TabbedPages->setCurrentWidget(online->Controls().TabOptions);
    online->Controls().CkbxSpecialOpt->click();
    QApplication::processEvents();
    ok = Save(&main, dir, "main-window-options") && ok;
    online->Controls().CkbxSpecialOpt->click();

    TAboutBox about(&main);
    about.show();
    QApplication::processEvents();
    ok = Save(&about, dir, "about-box") && ok;
    about.hide();

    // The question at the start after the program was ended from outside.
    const auto recovery = NewPromptBox(RecoveryCaption, RecoveryQuestion(2), TPromptIcon::Question,
                                       TPromptButtons::YesNo, &main);
    recovery->show();
    QApplication::processEvents();
    ok = Save(recovery.get(), dir, "recovery-question") && ok;
    recovery->hide();

    THelpWindow* help = THelpWindow::Show("editor.html", &main);
    QApplication::processEvents();
    ok = Save(help, dir, "help-editor") && ok;
    help->close();
    for (QMdiSubWindow* w : main.Children())
        delete w;
    return ok;
}

// The Ports dialog with three ports mapped, over a device tree of its own (the
// machine's devices differ from one run to the next).
bool PortsDialogPicture(const QDir& dir) {
    QTemporaryDir scratch;
    if (!scratch.isValid())
        return false;
    const std::string root = scratch.path().toStdString();
    QDir().mkpath(scratch.filePath("dev/serial/by-id"));
    QDir().mkpath(scratch.filePath("sys"));
    const std::string ini = root + "/kelvow32.ini";
    std::ofstream(ini) << "[Ports]\n"
                          "COM1=/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0\n"
                          "COM2=/dev/ttyUSB1\n"
                          "COM4=/dev/ttyACM0\n";
    TPortsDialog dialog(nullptr, ini, {root + "/dev", root + "/sys"});
    dialog.show();
    QApplication::processEvents();
    return Save(&dialog, dir, "ports-dialog");
}

// The parameter list narrowed by the find field (a group's lines with their
// headings), and the list when no line passes.
bool FilteredListPictures(const QDir& dir) {
    bool ok = true;
    auto form = std::make_unique<TKlvForm>();
    form->LoadFromStream(nullptr, 0);
    form->show();
    RunCycles(*form, 12);
    form->Controls().EditFind->setFocus();
    form->Controls().EditFind->setText("delay");
    QApplication::processEvents();
    ok = Save(form.get(), dir, "editor-filter") && ok;

    form->Controls().EditFind->setText("no such line");
    QApplication::processEvents();
    ok = Save(form.get(), dir, "editor-filter-none") && ok;
    return ok;
}

TFileTypeKelvo::TEntry* Find(TFileTypeKelvo& document, std::uint16_t address) {
    for (auto& entry : document.Entries)
        if (entry.Address == address && entry.Value)
            return &entry;
    return nullptr;
}

// The compare table of an online editor with a data file a few values away
// from the device, and the Restore Snapshot dialog with two snapshots. The
// snapshots go to a scratch folder, never to the user's.
class TFixedFile : public TFileDialog {
public:
    explicit TFixedFile(std::string name) : Name(std::move(name)) {}
    bool Execute() override {
        FileName = Name;
        return true;
    }
    std::string Name;
};

// The Device History window of the online editor's device after a few
// writes; the journal is the scratch one of ComparePictures.
bool HistoryPicture(const QDir& dir, TKlvForm& form) {
    const TJournalDevice device = EditorDevice(form);
    TChangeJournal journal;
    if (!journal.Open().Ok())
        return false;
    const struct {
        const char* Time;
        std::uint16_t Address;
        int Instance;
        const char* Caption;
        const char* Old;
        const char* New;
        TJournalResult Result;
        TJournalSource Source;
        const char* Login;
    } writes[] = {
        {"2026-12-07T09:12:40.118Z", 0x0025, 0, "Filter time [ms]", "500", "250",
         TJournalResult::Equal, TJournalSource::Edit, "anna"},
        {"2026-12-07T09:13:02.540Z", 0x0025, 0, "Filter time [ms]", "250", "500",
         TJournalResult::Equal, TJournalSource::Undo, "anna"},
        {"2026-12-08T14:30:11.007Z", 0x0062, 1, "Setpoint", "80.0", "95.5", TJournalResult::Equal,
         TJournalSource::Compare, "anna"},
        {"2026-12-08T14:30:11.391Z", 0x0024, 0, "Range end", "150.0", "999.0",
         TJournalResult::Different, TJournalSource::Compare, "anna"},
        {"2026-12-09T06:02:55.800Z", 0x0071, 0, "Bus address 17 (0x11)", "17", "300",
         TJournalResult::Refused, TJournalSource::Kelvoctl, "ben"},
        {"2026-12-09T06:03:20.052Z", 0x0071, 0, "Bus address 21 (0x15)", "17", "21",
         TJournalResult::Equal, TJournalSource::Kelvoctl, "ben"},
    };
    for (const auto& w : writes) {
        TJournalEntry e;
        e.Time = w.Time;
        e.Login = w.Login;
        e.Host = "bench-1";
        e.Port = w.Source == TJournalSource::Kelvoctl ? "/dev/ttyUSB0" : device.Port;
        e.Program = device.Program;
        e.Serial = device.Serial;
        e.Address = w.Address;
        e.Instance = w.Instance;
        e.Caption = w.Caption;
        e.OldValue = w.Old;
        e.NewValue = w.New;
        e.Result = w.Result;
        e.Source = w.Source;
        if (!journal.Record(e).Ok())
            return false;
    }
    TDeviceHistoryWindow history(device);
    history.show();
    QApplication::processEvents();
    bool ok = Save(&history, dir, "device-history");
    history.EditFilter->setText("compare");
    QApplication::processEvents();
    ok = Save(&history, dir, "device-history-filter") && ok;
    return ok;
}

bool ComparePictures(const QDir& dir, TKlvForm& form) {
    QTemporaryDir scratch;
    if (!scratch.isValid())
        return false;
    const std::string folder = scratch.path().toStdString();
    const char* oldHome = std::getenv("XDG_DATA_HOME");
    const std::string savedHome = oldHome ? oldHome : "";
    ::setenv("XDG_DATA_HOME", folder.c_str(), 1);

    TFileTypeKelvo file;
    file.Entries = form.Kelvo()->Entries;
    const std::pair<std::uint16_t, const char*> changes[] = {
        {0x0025, "250"}, {0x0024, "120.0"}, {0x0082, "2025-06-30"}, {0x0081, "9000"}};
    for (const auto& [address, text] : changes)
        if (auto* line = Find(file, address))
            line->Value->SetText(text);
    for (auto& line : file.Entries)
        if (line.Address == 0x0062 && line.IndexI == 1 && line.Value)
            line.Value->SetText("95.5");
    TMemoryStream records;
    for (const auto& line : file.Entries)
        if (!line.IsBlank())
            line.Write(records);
    const std::string path = folder + "/KT-200 spare.dat";
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(records.Memory()), records.Size());

    bool ok = true;
    form.CompareDialog = std::make_unique<TFixedFile>(path);
    form.CompareWithFile();
    if (TCompareWindow* table = form.CompareWindow()) {
        QApplication::processEvents();
        ok = Save(table, dir, "compare-table") && ok;
        table->close();
    } else {
        std::fprintf(stderr, "kelvo-pictures: no compare table\n");
        ok = false;
    }

    SaveSnapshot(*form.Kelvo(), "COM1");
    SaveSnapshot(*form.Kelvo(), "COM3");
    TRestoreSnapshotDialog restore;
    restore.show();
    QApplication::processEvents();
    ok = Save(&restore, dir, "restore-snapshot") && ok;
    ok = HistoryPicture(dir, form) && ok;

    if (oldHome)
        ::setenv("XDG_DATA_HOME", savedHome.c_str(), 1);
    else
        ::unsetenv("XDG_DATA_HOME");
    return ok;
}

// The first page of the sheet of a data file, as File > Print... prints it:
// the demonstration dialog in German, saved under a name of its own, at a
// fixed date so that the picture changes only when the sheet does.
bool SheetPicture(const QDir& dir) {
    QTemporaryDir scratch;
    if (!scratch.isValid())
        return false;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(scratch.path());
    const TBytes bytes = BuiltinDemoDialogRecords();
    const std::string name = "KT-200 line 3.dat";
    std::ofstream(name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    TMemoryStream stream;
    stream.Write(bytes.data(), static_cast<std::int32_t>(bytes.size()));
    stream.Seek(0, SoBeginning);
    auto form = std::make_unique<TKlvForm>();
    form->SetFileName(name);
    form->LoadFromStream(&stream, static_cast<std::int64_t>(bytes.size()));
    form->Kelvo()->SetLanguage("Deutsch");
    form->Kelvo()->RebuildDisplay();
    TSheetContext context = SheetContext(*form);
    context.Printed = QDateTime(QDate(2026, 3, 12), QTime(9, 30));
    const QImage page = ParameterSheetPicture(BuildParameterSheet(*form->Kelvo(), context), 96);
    QDir::setCurrent(previous);
    const QString path = dir.filePath("parameter-sheet.png");
    if (!page.save(path)) {
        std::fprintf(stderr, "kelvo-pictures: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName("KelvoW32");
    QApplication::setWindowIcon(ApplicationIcon());
    const QDir dir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("pictures"));
    if (!QDir().mkpath(dir.path())) {
        std::fprintf(stderr, "kelvo-pictures: cannot create %s\n", qPrintable(dir.path()));
        return 1;
    }
    TQuietPrompt prompt;
    TPromptScope scope(prompt);
    auto device = std::make_shared<TVirtualDevice>(BuiltinDemoDialog());
    TKlvForm::SetLineOpener(VirtualLineOpener(device));
    TFileTypeKelvo::SetLastComPort(1);

    auto form = std::make_unique<TKlvForm>();
    form->LoadFromStream(nullptr, 0);
    form->show();
    RunCycles(*form, 12);
    TFileTypeKelvo& document = *form->Kelvo();
    QTreeView* list = form->Controls().KelvoListView;
    list->setFocus();
    list->selectionModel()->setCurrentIndex(list->model()->index(6, 0),
                                            QItemSelectionModel::ClearAndSelect |
                                                QItemSelectionModel::Rows);
    form->UpdateLog();
    QApplication::processEvents();

    bool ok = true;
    const char* names[] = {"editor-display", "editor-about", "editor-options", "editor-log"};
    for (int tab = 0; tab < 4; ++tab) {
        form->Controls().TabbedPages->setCurrentIndex(tab);
        QApplication::processEvents();
        ok = Save(form.get(), dir, names[tab]) && ok;
    }
    form->Controls().TabbedPages->setCurrentIndex(0);

    if (auto* filter = Find(document, 0x0025)) {
        auto dialog = NewTextDialog(*filter->Value, form.get(), *filter);
        dialog->show();
        QApplication::processEvents();
        ok = Save(dialog.get(), dir, "dialog-text") && ok;
    }
    if (auto* sensor = Find(document, 0x0022)) {
        auto* choice = static_cast<TDlglineValueChoice*>(sensor->Value.Get());
        auto dialog = NewChoiceDialog(*choice, form.get(), *sensor);
        dialog->show();
        QApplication::processEvents();
        ok = Save(dialog.get(), dir, "dialog-choice") && ok;
    }
    ok = ComparePictures(dir, *form) && ok;
    form.reset();
    ok = MainWindowPictures(dir) && ok;
    ok = PortsDialogPicture(dir) && ok;
    ok = FilteredListPictures(dir) && ok;
    ok = SheetPicture(dir) && ok;
    TKlvForm::SetLineOpener({});
    return ok ? 0 : 1;
}
