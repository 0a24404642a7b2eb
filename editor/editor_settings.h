#pragma once
// The settings every editor window shares: whether to connect at start-up,
// whether the special options (production mode, baud rates) are usable, and
// the language captions are shown in. The port of the last connection is the
// document's own LastComPort.
#include <string>

namespace kelvo {

inline constexpr const char* NoTranslations = "- No translations -";

struct TEditorSettings {
    bool AutoConnect = true;
    bool SpecialOptions = false;
    // In the code page of the translation files.
    std::string Language = "English";
    bool initialised = false;
    // Entries last put into a language box; -1 until the translation files
    // were loaded.
    int languageListSize = -1;
};

TEditorSettings& EditorSettings();

} // namespace kelvo
