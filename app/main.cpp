// kelvow32: the window program. Sets up the message boxes, the value dialogs
// and the help for the window toolkit, registers the editor window and runs
// the main window until it closes.
#include "app/input_probe.h"
#include "editor/register_klvform.h"
#include "editor/restore_snapshot_dialog.h"
#include "foundation/gui/autodialog.h"
#include "model/gui/value_dialogs.h"
#include "shell/gui/helpwindow.h"
#include "shell/gui/inihlst.h"
#include "shell/gui/mainwindow.h"
#include "shell/gui/qtprompt.h"
#include "shell/gui/registerform.h"
#include "shell/gui/toolbar_icons.h"
#include "shell/settings/ini_file.h"
#include "shell/settings/ports_lookup.h"

#include <QApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace kelvo;

constexpr const char* Usage =
    "usage: kelvow32 [-kalibrier] [FILE ...]\n"
    "\n"
    "The window program of the Kelvo device programmer: opens each FILE (Kelvo\n"
    "data files, *.dat and *.kelvo) in an editor window; without files it opens a\n"
    "new editor window that goes online on the last COM port, unless Auto Connect\n"
    "is switched off in the Options tab.\n"
    "\n"
    "  -kalibrier    as the first argument: the Production Mode check box may be used\n"
    "  --probe=FILE  write a line to FILE for every click, key, tab change, box and\n"
    "                status text, with the time (for tests that drive the window)\n"
    "  --help        show this text and exit\n"
    "  --version     show the version and exit\n"
    "\n"
    "Arguments that begin with \"-\" are options; every other argument is a file.\n";

// SIGTERM and SIGINT close the main window as the user would (with the close
// questions of modified documents), so the settings are written on the way.
int signalPipe[2] = {-1, -1};

void OnSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalPipe[1], &byte, 1);
}

void CloseOnSignals(QWidget& window) {
    if (::pipe(signalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &window);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window] {
        char byte = 0;
        [[maybe_unused]] const auto got = ::read(signalPipe[0], &byte, 1);
        window.close();
    });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

} // namespace

// The one registration of the editor window: it reads the editor settings at
// the first paint and writes them at the end of the program.
static TRegisterKlvForm EditorRegistration;

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(Usage, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("kelvow32 %s\n", KELVO_VERSION);
            return 0;
        }
    }
    QApplication app(argc, argv);
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], "--probe=", 8) == 0)
            StartInputProbe(argv[i] + 8);
    QApplication::setApplicationName("KelvoW32");
    QApplication::setWindowIcon(ApplicationIcon());

    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.emplace_back(argv[i]);
    SetCommandLine(arguments);

    TQtPrompt prompt;
    TPromptScope promptScope(prompt);
    InstallQtValueEditor();
    TAutoDialog::SetHelpHandler([](TAutoDialog& dialog) {
        THelpWindow::Show(HelpPageForContext(30, "kelvo::TKlvForm"), &dialog);
    });
    // COM ports map to the device paths of the INI file's "Ports" section.
    InstallPortsLookup(IniFileName());

    int result = 0;
    {
        TMainForm mainForm;
        InstallRestoreSnapshot(mainForm);
        CloseOnSignals(mainForm);
        mainForm.show();
        result = app.exec();
    }
    CloseIniHlst();
    return result;
}
