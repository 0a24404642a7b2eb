#include "shell/gui/registerform.h"

#include "shell/gui/filedialog.h"
#include "shell/gui/mainform.h"

#include <QCoreApplication>

#include <algorithm>
#include <cctype>
#include <optional>

namespace kelvo {

namespace {

bool kindsInitialised = false;
std::optional<std::vector<std::string>> commandLine;

std::string LowerExtension(const std::string& name) {
    const auto slash = name.find_last_of('/');
    const auto dot = name.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    std::string ext = name.substr(dot);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return ext;
}

} // namespace

TRegisterForm::TRegisterForm() {
    List().Append(FNode);
}

TRegisterForm::~TRegisterForm() {
    FNode.Unlink();
}

Dynalist<TRegisterForm>& TRegisterForm::List() {
    static Dynalist<TRegisterForm> list;
    return list;
}

std::string AllFilters() {
    std::string filters = "All files (*.*)|*.*";
    for (const TRegisterForm& kind : TRegisterForm::List())
        filters += kind.FilterText();
    return filters;
}

TFilesaveForm* FindFormForFile(const std::string& name, const TFileDialog* dialog, QWidget* owner) {
    if (!owner)
        owner = MainForm();
    if (dialog) {
        const std::string entry = FilterEntry(dialog->Filter, dialog->FilterIndex);
        if (!entry.empty()) {
            for (TRegisterForm& kind : TRegisterForm::List()) {
                if (kind.FilterText().find(entry) != std::string::npos)
                    return kind.CreateWindow(owner);
            }
        }
    }
    const std::string ext = LowerExtension(name);
    if (ext.size() < 2)
        return nullptr;
    for (TRegisterForm& kind : TRegisterForm::List()) {
        if (kind.FilterText().find(ext) != std::string::npos)
            return kind.CreateWindow(owner);
    }
    return nullptr;
}

bool InitKinds() {
    if (kindsInitialised)
        return false;
    kindsInitialised = true;
    for (TRegisterForm& kind : TRegisterForm::List()) {
        if (!kind.Initialised) {
            kind.Initialised = true;
            kind.Initialise();
        }
    }
    return true;
}

void SetCommandLine(std::vector<std::string> arguments) {
    commandLine = std::move(arguments);
}

const std::vector<std::string>& CommandLine() {
    if (!commandLine) {
        std::vector<std::string> arguments;
        const QStringList all = QCoreApplication::arguments();
        for (qsizetype i = 1; i < all.size(); ++i)
            arguments.push_back(all[i].toStdString());
        commandLine = std::move(arguments);
    }
    return *commandLine;
}

std::string GetParamFile(int n) {
    if (n < 1)
        return {};
    int found = 0;
    for (const std::string& argument : CommandLine()) {
        if (argument.empty())
            return {};
        // On Linux "/" starts an absolute path, never an option.
        if (argument[0] == '-')
            continue;
        if (++found == n)
            return argument;
    }
    return {};
}

} // namespace kelvo
