// kelvow32: the window program. Sets up the message boxes, the value dialogs
// and the help for the window toolkit, registers the editor window and runs
// the main window until it closes.
#include "app/input_probe.h"
#include "editor/device_history_window.h"
#include "editor/register_klvform.h"
#include "editor/restore_snapshot_dialog.h"
#include "editor/sheet_commands.h"
#include "editor/value_dialogs.h"
#include "foundation/gui/autodialog.h"
#include "shell/gui/helpwindow.h"
#include "shell/gui/inihlst.h"
#include "shell/gui/mainwindow.h"
#include "shell/gui/program_end.h"
#include "shell/gui/qtprompt.h"
#include "shell/gui/recovery.h"
#include "shell/gui/registerform.h"
#include "shell/gui/toolbar_icons.h"
#include "shell/settings/ini_file.h"
#include "shell/settings/ports_lookup.h"

#include <QApplication>

#include <cstdio>
#include <cstring>
#include <string>
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
    "Arguments that begin with \"-\" are options; every other argument is a file.\n"
    "\n"
    "Ended by SIGTERM, SIGHUP or SIGINT, or when the display goes away, the program\n"
    "keeps every unsaved document in a recovery copy and offers it at the next start.\n";

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
        InstallDeviceHistory(mainForm);
        InstallParameterSheet(mainForm);
        // Ended from outside: no questions, the unsaved documents to recovery
        // copies, the settings written.
        TProgramEnd::Install([] {
            IniHlst().Save();
            EditorRegistration.WriteSettings();
        });
        // Documents kept when the last run was ended from outside.
        QObject::connect(&mainForm, &TMainForm::StartingUp, [] { OfferRecoveredDocuments(); });
        mainForm.show();
        result = app.exec();
        if (TProgramEnd::Ending()) {
            TProgramEnd::Finish();
            ProbeNote("end " + TProgramEnd::Reason());
        }
    }
    CloseIniHlst();
    return result;
}
