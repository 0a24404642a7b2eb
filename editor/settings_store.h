#pragma once
// The editor settings shared by every editor window, kept in section
// "KelvoWin" of the program's INI file:
//     AutoConnect=1      connect at start-up (1 or 0; default 1)
//     SpecialOptions=0   production mode and baud rates usable (default 0)
//     Language=English   translation language (default "English")
//     LastCOM=1          port of the last successful connection (default 1)
class QSettings;

namespace kelvo {

inline constexpr const char* EditorSettingsSection = "KelvoWin";

// Reads the four keys into EditorSettings() and the last COM port; a missing
// key or one that does not read as its kind keeps its default.
void ReadEditorSettings(QSettings& ini);
// Writes the four keys and the file; answers whether the file was written.
bool WriteEditorSettings(QSettings& ini);

} // namespace kelvo
