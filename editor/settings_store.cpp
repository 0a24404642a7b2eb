#include "editor/settings_store.h"

#include "editor/editor_settings.h"
#include "foundation/gui/oem_text.h"
#include "model/kelvofile.h"

#include <QSettings>

namespace kelvo {

namespace {

constexpr int DefaultComPort = 1;
constexpr int HighestComPort = 255;

bool ReadBool(const QSettings& ini, const char* key, bool fallback) {
    const QString text = ini.value(QLatin1String(key)).toString().trimmed();
    bool ok = false;
    const int number = text.toInt(&ok);
    if (ok)
        return number != 0;
    if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        return false;
    return fallback;
}

int ReadPort(const QSettings& ini, const char* key) {
    bool ok = false;
    const int port = ini.value(QLatin1String(key)).toString().trimmed().toInt(&ok);
    // Port 0 would mean "the last port" to going online, which is this very setting.
    return ok && port >= 1 && port <= HighestComPort ? port : DefaultComPort;
}

} // namespace

void ReadEditorSettings(QSettings& ini) {
    TEditorSettings& settings = EditorSettings();
    ini.beginGroup(QLatin1String(EditorSettingsSection));
    settings.AutoConnect = ReadBool(ini, "AutoConnect", true);
    settings.SpecialOptions = ReadBool(ini, "SpecialOptions", false);
    const QVariant language = ini.value(QStringLiteral("Language"));
    if (!language.isValid())
        settings.Language = "English";
    else if (language.typeId() == QMetaType::QStringList)
        settings.Language = QStringToOem(language.toStringList().join(QStringLiteral(", ")));
    else
        settings.Language = QStringToOem(language.toString());
    TFileTypeKelvo::SetLastComPort(ReadPort(ini, "LastCOM"));
    ini.endGroup();
}

bool WriteEditorSettings(QSettings& ini) {
    const TEditorSettings& settings = EditorSettings();
    ini.beginGroup(QLatin1String(EditorSettingsSection));
    ini.setValue(QStringLiteral("AutoConnect"), settings.AutoConnect ? 1 : 0);
    ini.setValue(QStringLiteral("SpecialOptions"), settings.SpecialOptions ? 1 : 0);
    // The file holds readable text; the language name is OEM in memory.
    ini.setValue(QStringLiteral("Language"), OemToQString(settings.Language));
    const int port = TFileTypeKelvo::LastComPort();
    ini.setValue(QStringLiteral("LastCOM"),
                 port >= 1 && port <= HighestComPort ? port : DefaultComPort);
    ini.endGroup();
    ini.sync();
    return ini.status() == QSettings::NoError;
}

} // namespace kelvo
