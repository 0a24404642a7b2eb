#pragma once
// The prompt of the window program: every message box of the system as a
// QMessageBox with the caption, icon and buttons asked for, answering with the
// system's own result numbers. While a box is open the idle work of the
// documents waits (see TModalBoxScope), so that nothing talks to a device
// underneath a question about it.
#include "foundation/prompt.h"

#include <QString>

#include <memory>

class QMessageBox;
class QWidget;

namespace kelvo {

class TQtPrompt : public TPrompt {
public:
    int Ask(const std::string& caption, const std::string& text, TPromptIcon icon,
            TPromptButtons buttons) override;
};

// A message text as the window shows it: UTF-8 when it is valid UTF-8 (file
// names), otherwise device text in the OEM code page.
QString PromptText(const std::string& text);

// Counts the modal boxes open right now; the idle dispatch does nothing while
// one is.
class TModalBoxScope {
public:
    TModalBoxScope();
    ~TModalBoxScope();
    TModalBoxScope(const TModalBoxScope&) = delete;
    TModalBoxScope& operator=(const TModalBoxScope&) = delete;
    static int Depth();
};

// The box Ask shows, not yet shown: the caption, text, icon and buttons of the
// system's message box, its first button the default.
std::unique_ptr<QMessageBox> NewPromptBox(const std::string& caption, const std::string& text,
                                          TPromptIcon icon, TPromptButtons buttons,
                                          QWidget* parent);

// The window a message box belongs to: the active window, else the main form.
QWidget* PromptParent();

} // namespace kelvo
