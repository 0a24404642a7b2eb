#pragma once
// The help pages and the help contexts that lead to them. The pages are HTML
// files in the "help" folder of the program's data directory.
#include <string>

namespace kelvo::help_pages {

inline constexpr const char* Folder = "help";
inline constexpr const char* Contents = "index.html";
inline constexpr const char* OnHelp = "help-on-help.html";
inline constexpr const char* MainWindow = "mainwindow.html";
inline constexpr const char* EditorWindow = "editor.html";

// The main window and the device editor window share help context 30.
inline constexpr int WindowContext = 30;

// The page of a window's help context; editorWindow tells the two windows of
// context 30 apart. Any context without a page of its own gives the contents.
inline std::string ForContext(int context, bool editorWindow) {
    if (context == WindowContext)
        return editorWindow ? EditorWindow : MainWindow;
    return Contents;
}

} // namespace kelvo::help_pages
