#include "shell/gui/qtprompt.h"

#include "foundation/gui/oem_text.h"
#include "shell/gui/mainform.h"
#include "shell/gui/program_end.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QStringDecoder>

#include <memory>
#include <utility>
#include <vector>

namespace kelvo {

namespace {

int modalBoxDepth = 0;

QMessageBox::Icon BoxIcon(TPromptIcon icon) {
    switch (icon) {
    case TPromptIcon::Information:
        return QMessageBox::Information;
    case TPromptIcon::Warning:
        return QMessageBox::Warning;
    case TPromptIcon::Error:
        return QMessageBox::Critical;
    case TPromptIcon::Question:
        return QMessageBox::Question;
    case TPromptIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// The buttons of a set in their order, each with the answer it gives; the
// first is the default button.
std::vector<std::pair<QMessageBox::StandardButton, int>> BoxButtons(TPromptButtons buttons) {
    switch (buttons) {
    case TPromptButtons::Ok:
        return {{QMessageBox::Ok, IdOk}};
    case TPromptButtons::OkCancel:
        return {{QMessageBox::Ok, IdOk}, {QMessageBox::Cancel, IdCancel}};
    case TPromptButtons::AbortRetryIgnore:
        return {{QMessageBox::Abort, IdAbort},
                {QMessageBox::Retry, IdRetry},
                {QMessageBox::Ignore, IdIgnore}};
    case TPromptButtons::YesNoCancel:
        return {
            {QMessageBox::Yes, IdYes}, {QMessageBox::No, IdNo}, {QMessageBox::Cancel, IdCancel}};
    case TPromptButtons::YesNo:
        return {{QMessageBox::Yes, IdYes}, {QMessageBox::No, IdNo}};
    case TPromptButtons::RetryCancel:
        return {{QMessageBox::Retry, IdRetry}, {QMessageBox::Cancel, IdCancel}};
    }
    return {{QMessageBox::Ok, IdOk}};
}

// What closing the box with Escape or its title bar answers.
int EscapeAnswer(TPromptButtons buttons) {
    switch (buttons) {
    case TPromptButtons::Ok:
        return IdOk;
    case TPromptButtons::YesNo:
        return IdNo;
    case TPromptButtons::AbortRetryIgnore:
        return IdAbort;
    default:
        return IdCancel;
    }
}

} // namespace

QString PromptText(const std::string& text) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString decoded = utf8.decode(QByteArrayView(text.data(), qsizetype(text.size())));
    if (!utf8.hasError())
        return decoded;
    return OemToQString(text);
}

QWidget* PromptParent() {
    if (QWidget* active = QApplication::activeModalWidget())
        return active;
    if (QWidget* active = QApplication::activeWindow())
        return active;
    return MainForm();
}

TModalBoxScope::TModalBoxScope() {
    ++modalBoxDepth;
}

TModalBoxScope::~TModalBoxScope() {
    --modalBoxDepth;
}

int TModalBoxScope::Depth() {
    return modalBoxDepth;
}

std::unique_ptr<QMessageBox> NewPromptBox(const std::string& caption, const std::string& text,
                                          TPromptIcon icon, TPromptButtons buttons,
                                          QWidget* parent) {
    auto box = std::make_unique<QMessageBox>(BoxIcon(icon), PromptText(caption), PromptText(text),
                                             QMessageBox::NoButton, parent);
    const auto set = BoxButtons(buttons);
    for (const auto& [button, answer] : set)
        box->addButton(button);
    box->setDefaultButton(set.front().first);
    return box;
}

int TQtPrompt::Ask(const std::string& caption, const std::string& text, TPromptIcon icon,
                   TPromptButtons buttons) {
    // While the program ends nobody is there to answer: the box is not shown
    // and says what closing it would.
    if (TProgramEnd::Ending())
        return EscapeAnswer(buttons);
    const auto box = NewPromptBox(caption, text, icon, buttons, PromptParent());
    TModalBoxScope modal;
    box->exec();
    const QAbstractButton* clicked = box->clickedButton();
    for (const auto& [button, answer] : BoxButtons(buttons)) {
        if (clicked && clicked == box->button(button))
            return answer;
    }
    return EscapeAnswer(buttons);
}

} // namespace kelvo
