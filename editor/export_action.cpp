#include "editor/export_action.h"

#include "foundation/prompt.h"
#include "model/kelvofile.h"
#include "report/export_lines.h"
#include "shell/gui/filedialog.h"
#include "shell/gui/mainform.h"
#include "shell/gui/mainwindow.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QMenu>
#include <QWidget>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace kelvo {

namespace fs = std::filesystem;

namespace {

constexpr const char* Title = "Export";

std::string Reason(int error) {
    return std::strerror(error);
}

// The file a write replaces: an existing name with its symbolic links
// followed, so that exporting onto a link writes the file it leads to.
std::string WriteTarget(const std::string& path) {
    std::error_code error;
    if (fs::is_symlink(path, error)) {
        const fs::path resolved = fs::weakly_canonical(path, error);
        if (!error)
            return resolved.string();
    }
    return path;
}

// Writes text to path through a temporary file in the same folder, synced
// before it takes the name.
std::string WriteWhole(const std::string& path, const std::string& text) {
    const std::string target = WriteTarget(path);
    struct stat st {};
    const bool exists = ::stat(target.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode))
        return "It is a folder.";
    if (exists && ::access(target.c_str(), W_OK) != 0)
        return "The file is write-protected.";
    const fs::path folder = fs::path(target).parent_path();
    std::string pattern = (folder.empty() ? std::string(".") : folder.string()) + "/TMPXXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0)
        return Reason(errno) + ".";
    const std::string temporary = name.data();
    // The new file takes the old one's permissions, or those of any new file.
    mode_t permissions = 0;
    if (exists) {
        permissions = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        permissions = 0666 & ~mask;
    }
    ::fchmod(fd, permissions);
    int failure = 0;
    std::size_t done = 0;
    while (failure == 0 && done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            failure = n < 0 ? errno : ENOSPC;
        else
            done += static_cast<std::size_t>(n);
    }
    if (failure == 0 && ::fsync(fd) != 0)
        failure = errno;
    if (::close(fd) != 0 && failure == 0)
        failure = errno;
    if (failure == 0 && ::rename(temporary.c_str(), target.c_str()) != 0)
        failure = errno;
    if (failure != 0) {
        ::unlink(temporary.c_str());
        return Reason(failure) + ".";
    }
    return {};
}

// "dir/set.dat" -> "dir/set" + extension; an unnamed document is "New".
std::string ProposedName(const std::string& documentName, const std::string& extension) {
    fs::path name(documentName.empty() ? std::string("New") : documentName);
    name.replace_extension(extension);
    return name.string();
}

} // namespace

bool HasExportRows(const TFileTypeKelvo& document) {
    // The lines ExportRows writes.
    for (const TFileTypeKelvo::TEntry& line : document.Entries)
        if (!line.IsBlank() && !line.HiddenByCount && line.IsVisible())
            return true;
    return false;
}

std::string WriteExport(const TFileTypeKelvo& document, const std::string& path,
                        TExportAction::TFormat format) {
    const std::vector<TExportRow> rows = ExportRows(document);
    return WriteWhole(path,
                      format == TExportAction::FormatJson ? ExportJson(rows) : ExportCsv(rows));
}

TExportAction::TExportAction(QWidget* window, TDocumentSource document)
    : QObject(window), FWindow(window), FDocument(std::move(document)) {
    FAction = new QAction("&Export...", window);
    FAction->setObjectName("ActionFileExport");
    FAction->setStatusTip("Export the lines of the current file as CSV or JSON");
    connect(FAction, &QAction::triggered, this, [this] { Execute(); });
    auto dialog = std::make_unique<TQtFileDialog>(TQtFileDialog::Save, window);
    dialog->Filter = Filter;
    dialog->FilterIndex = FormatCsv;
    Dialog = std::move(dialog);
    // The action stands in the main window's File menu: its enabling follows
    // the state when the event loop goes idle and when that menu opens.
    if (auto* dispatcher = QAbstractEventDispatcher::instance())
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &TExportAction::Update);
    if (auto* main = qobject_cast<TMainForm*>(MainForm()))
        connect(main->FileMenu(), &QMenu::aboutToShow, this, &TExportAction::Update);
    Update();
}

TExportAction::~TExportAction() = default;

void TExportAction::Update() {
    const TFileTypeKelvo* document = FDocument();
    FAction->setEnabled(document && HasExportRows(*document));
}

bool TExportAction::Execute() {
    const TFileTypeKelvo* document = FDocument();
    if (!document || !HasExportRows(*document))
        return false;
    TFileDialog& dialog = *Dialog;
    dialog.Filter = Filter;
    if (dialog.FilterIndex != FormatCsv && dialog.FilterIndex != FormatJson)
        dialog.FilterIndex = FormatCsv;
    dialog.Title = Title;
    dialog.FileName =
        ProposedName(document->GetFileName(), dialog.FilterIndex == FormatJson ? ".json" : ".csv");
    if (!dialog.Execute() || dialog.FileName.empty())
        return false;
    const TFormat format = dialog.FilterIndex == FormatJson ? FormatJson : FormatCsv;
    // The name's extension follows the chosen type, as in the Save dialog.
    const std::string path =
        AdjustToFilterPatterns(dialog.FileName, FilterPatterns(Filter, format));
    dialog.FileName = path;
    const std::string why = WriteExport(*document, path, format);
    if (why.empty())
        return true;
    Prompt().Ask(Title, "Could not write \"" + path + "\"!\n" + why, TPromptIcon::Error,
                 TPromptButtons::Ok);
    return false;
}

} // namespace kelvo
