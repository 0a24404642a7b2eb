// A program whose editor registration is a static object, as in kelvow32: it
// reads the settings, changes them, saves its history lists and ends; the
// settings are written when the static registration goes.
#include "editor/editor_settings.h"
#include "editor/register_klvform.h"
#include "shell/gui/inihlst.h"
#include "shell/settings/ini_file.h"

#include <QApplication>

static kelvo::TRegisterKlvForm Registration;

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    kelvo::SetIniFileName(argv[1]);
    {
        int qtArgc = 1;
        QApplication app(qtArgc, argv);
        // A file argument: no auto-connect window.
        kelvo::SetCommandLine({"/data/probe.dat"});
        kelvo::InitKinds();
        if (!kelvo::EditorSettings().initialised)
            return 3;
        kelvo::EditorSettings().SpecialOptions = true;
        kelvo::EditorSettings().Language = "Deutsch";
        kelvo::TFileTypeKelvo::SetLastComPort(7);
        kelvo::TIniHlst& lists = kelvo::IniHlst();
        kelvo::CreateMainWindowLists(lists);
        lists.Load();
        lists.At(kelvo::HlstRecent)->Add("/data/probe.dat");
        lists.Save();
        // The lists and the INI object close when the application object ends.
    }
    return 0;
}
