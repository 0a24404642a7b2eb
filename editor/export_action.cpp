#include "editor/export_action.h"

#include "foundation/prompt.h"
#include "model/kelvofile.h"
#include "report/export_lines.h"
#include "report/whole_file.h"
#include "shell/gui/filedialog.h"

#include <QWidget>

#include <filesystem>
#include <vector>

namespace kelvo {

namespace fs = std::filesystem;

namespace {

constexpr const char* Title = "Export";

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
    return WriteWholeFile(path,
                          format == TExportAction::FormatJson ? ExportJson(rows) : ExportCsv(rows));
}

TExportAction::TExportAction(QWidget* window, TDocumentSource document)
    : FDocument(std::move(document)) {
    auto dialog = std::make_unique<TQtFileDialog>(TQtFileDialog::Save, window);
    dialog->Filter = Filter;
    dialog->FilterIndex = FormatCsv;
    Dialog = std::move(dialog);
}

TExportAction::~TExportAction() = default;

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
