#pragma once
// What File > Export... of an editor window runs: the shown lines of its
// document, each instance of a repeated group on its own, written as CSV or
// JSON for reports and spreadsheets. The values are the ones the list shows, so an online
// document exports what was last read from the device. The document itself
// is not touched: exporting is not saving.
#include <functional>
#include <memory>
#include <string>

class QWidget;

namespace kelvo {

class TFileDialog;
class TFileTypeKelvo;

class TExportAction {
public:
    // The file types of the export dialog; the filter index picks the format.
    static constexpr const char* Filter = "CSV (*.csv)|*.csv|JSON (*.json)|*.json";
    enum TFormat : int { FormatCsv = 1, FormatJson = 2 };

    using TDocumentSource = std::function<const TFileTypeKelvo*()>;

    // window owns the dialog; document gives the window's current document
    // (or null).
    TExportAction(QWidget* window, TDocumentSource document);
    ~TExportAction();
    TExportAction(const TExportAction&) = delete;
    TExportAction& operator=(const TExportAction&) = delete;

    // Asks for the file and writes it; false when nothing was written (the
    // dialog cancelled, or the file could not be written: the user was told).
    bool Execute();

    // The save dialog; tests put a scripted one here.
    std::unique_ptr<TFileDialog> Dialog;

private:
    TDocumentSource FDocument;
};

// Whether the document has a line an export writes: the action is enabled then.
bool HasExportRows(const TFileTypeKelvo& document);

// The report of document in format, written to path in one piece: through a
// temporary file beside it that takes the name only when complete, so a
// failed write leaves neither a partial file nor a changed old one. Empty on
// success, else why it failed.
std::string WriteExport(const TFileTypeKelvo& document, const std::string& path,
                        TExportAction::TFormat format);

} // namespace kelvo
