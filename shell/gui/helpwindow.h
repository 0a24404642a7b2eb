#pragma once
// The help: HTML pages shipped with the program, shown in one help window
// with back, forward and contents buttons. Windows name their page by their
// help context.
#include "shell/gui/help_pages.h"

#include <QWidget>

#include <string>

class QTextBrowser;

namespace kelvo {

inline constexpr const char* HelpContentsPage = help_pages::Contents;
inline constexpr const char* HelpOnHelpPage = help_pages::OnHelp;

// The page of a window's help context; the contents for an unknown one. The
// class name tells the windows apart that share a context.
std::string HelpPageForContext(int context, const std::string& className);
// The folder the help pages are in.
std::string HelpDirectory();

class THelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit THelpWindow(QWidget* parent = nullptr);
    // Shows page in the one help window, creating it when needed.
    static THelpWindow* Show(const std::string& page, QWidget* parent = nullptr);
    void Open(const std::string& page);
    QTextBrowser* Browser() const { return FBrowser; }

private:
    QTextBrowser* FBrowser;
};

} // namespace kelvo
