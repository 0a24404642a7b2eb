// Renders the windows to PNG files, so that they can be looked at without a
// display: the editor window with the demonstration device online (one
// picture per tab) and the two value dialogs.
#include "editor/klvform.h"
#include "foundation/prompt.h"
#include "model/dlglinevalue_choice.h"
#include "model/gui/value_dialogs.h"
#include "online/kelvo_online.h"
#include "shell/gui/aboutbox.h"
#include "shell/gui/helpwindow.h"
#include "shell/gui/mainform.h"
#include "shell/gui/mainwindow.h"
#include "shell/gui/ports_dialog.h"
#include "shell/gui/registerform.h"
#include "shell/gui/toolbar_icons.h"
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
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTreeView>

#include <cstdio>
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
    std::string FilterText() const override { return "|Kelvo Data (*.dat;*.kelvo)|*.dat;*.kelvo"; }
};

void RunCycles(TFileTypeKelvo& document, int cycles) {
    for (int i = 0; i < cycles; ++i) {
        document.TickPending = true;
        bool done = false;
        document.Idle(nullptr, done);
    }
}

// The main window with two editors: one online with the virtual device, one
// holding the demonstration data file; then the special options, the About
// box and a help page.
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
    RunCycles(*online->Kelvo(), 12);
    main.OpenFile(DataDirectory() + "/dialogs/demo.dat");
    main.TileVertically();
    main.Area()->setActiveSubWindow(online);
    QApplication::processEvents();
    ok = Save(&main, dir, "main-window") && ok;

    online->TabbedPages->setCurrentWidget(online->TabOptions);
    online->CkbxSpecialOpt->click();
    QApplication::processEvents();
    ok = Save(&main, dir, "main-window-options") && ok;
    online->CkbxSpecialOpt->click();

    TAboutBox about(&main);
    about.show();
    QApplication::processEvents();
    ok = Save(&about, dir, "about-box") && ok;
    about.hide();

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
    RunCycles(*form->Kelvo(), 12);
    form->EditFind->setFocus();
    form->EditFind->setText("delay");
    QApplication::processEvents();
    ok = Save(form.get(), dir, "editor-filter") && ok;

    form->EditFind->setText("no such line");
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
    TFileTypeKelvo& document = *form->Kelvo();
    for (int i = 0; i < 12; ++i) {
        document.TickPending = true;
        bool done = false;
        document.Idle(nullptr, done);
    }
    QTreeView* list = form->KelvoListView;
    list->setFocus();
    list->selectionModel()->setCurrentIndex(list->model()->index(6, 0),
                                            QItemSelectionModel::ClearAndSelect |
                                                QItemSelectionModel::Rows);
    form->UpdateLog();
    QApplication::processEvents();

    bool ok = true;
    const char* names[] = {"editor-display", "editor-about", "editor-options", "editor-log"};
    for (int tab = 0; tab < 4; ++tab) {
        form->TabbedPages->setCurrentIndex(tab);
        QApplication::processEvents();
        ok = Save(form.get(), dir, names[tab]) && ok;
    }
    form->TabbedPages->setCurrentIndex(0);

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
    form.reset();
    ok = MainWindowPictures(dir) && ok;
    ok = PortsDialogPicture(dir) && ok;
    ok = FilteredListPictures(dir) && ok;
    TKlvForm::SetLineOpener({});
    return ok ? 0 : 1;
}
