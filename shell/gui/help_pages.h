#pragma once
// The help pages behind the help contexts of windows and menus. The pages are
// HTML files in the "help" folder of the program's data directory.
#include <string>

namespace kelvo {

inline constexpr const char* HelpFolder = "help";
inline constexpr const char* HelpContentsPage = "index.html";
inline constexpr const char* HelpOnHelpPage = "helponhelp.html";

// The main window and the device editor window share context 30: it leads to
// the editor window's page, where the work is done.
inline constexpr int HelpContextEditor = 30;

// The page of a help context; any context without a page of its own gives
// the contents.
inline std::string HelpPageForContext(int context) {
    switch (context) {
    case HelpContextEditor:
        return "editor.html";
    default:
        return HelpContentsPage;
    }
}

} // namespace kelvo
