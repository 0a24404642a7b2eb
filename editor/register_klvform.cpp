#include "editor/register_klvform.h"

#include "editor/editor_settings.h"
#include "editor/settings_store.h"
#include "shell/gui/inihlst.h"
#include "shell/gui/mainform.h"
#include "shell/settings/ini_file.h"

#include <QCoreApplication>
#include <QSettings>

namespace kelvo {

namespace {

TRegisterKlvForm*& Pending() {
    static TRegisterKlvForm* registration = nullptr;
    return registration;
}

void WriteAtApplicationEnd() {
    if (TRegisterKlvForm* registration = Pending())
        registration->WriteSettings();
}

} // namespace

TRegisterKlvForm::~TRegisterKlvForm() {
    if (Pending() == this) {
        qRemovePostRoutine(WriteAtApplicationEnd);
        Pending() = nullptr;
    }
    WriteSettings();
}

void TRegisterKlvForm::WriteSettings() {
    if (!Initialised || FWritten)
        return;
    FWritten = true;
    // A settings object of its own: the program-wide INI object may be gone.
    QSettings ini(QString::fromStdString(IniFileName()), QSettings::IniFormat);
    ini.setAtomicSyncRequired(true);
    WriteEditorSettings(ini);
}

void TRegisterKlvForm::Initialise() {
    ReadEditorSettings(IniHlst().IniFile());
    TEditorSettings& settings = EditorSettings();
    if (settings.AutoConnect && !settings.initialised && GetParamFile(1).empty()) {
        auto* form = new TKlvForm(MainForm());
        ShowDocumentWindow(form);
        form->LoadFromStream(nullptr, 0);
    }
    settings.initialised = true;
    FWritten = false;
    // A static registration ends after the main routine, when the settings
    // layer of the toolkit is gone: the settings are written when the
    // application object ends instead.
    if (QCoreApplication::instance() && !Pending()) {
        Pending() = this;
        qAddPostRoutine(WriteAtApplicationEnd);
    }
}

} // namespace kelvo
