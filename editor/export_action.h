#pragma once
// File > Export... of an editor window: the shown lines of its document, each
// instance of a repeated group on its own, written as CSV or JSON for reports
// and spreadsheets. The values are the ones the list shows, so an online
// document exports what was last read from the device. The document itself
// is not touched: exporting is not saving.
#include <QObject>

#include <functional>
#include <memory>
#include <string>

class QAction;
class QWidget;

namespace kelvo {

class TFileDialog;
class TFileTypeKelvo;

class TExportAction : public QObject {
    Q_OBJECT
public:
    // The file types of the export dialog; the filter index picks the format.
    static constexpr const char* Filter = "CSV (*.csv)|*.csv|JSON (*.json)|*.json";
    enum TFormat : int { FormatCsv = 1, FormatJson = 2 };

    using TDocumentSource = std::function<const TFileTypeKelvo*()>;

    // window titles the dialog and the messages; document gives the window's
    // current document (or null).
    TExportAction(QWidget* window, TDocumentSource document);
    ~TExportAction() override;

    QAction* Action() const { return FAction; }
    // Enabled while the window holds a document with lines to export.
    void Update();
    // Asks for the file and writes it; false when nothing was written (the
    // dialog cancelled, or the file could not be written: the user was told).
    bool Execute();

    // The save dialog; tests put a scripted one here.
    std::unique_ptr<TFileDialog> Dialog;

private:
    QWidget* FWindow;
    TDocumentSource FDocument;
    QAction* FAction = nullptr;
};

// Whether the document has a line an export writes.
bool HasExportRows(const TFileTypeKelvo& document);

// The report of document in format, written to path in one piece: through a
// temporary file beside it that takes the name only when complete, so a
// failed write leaves neither a partial file nor a changed old one. Empty on
// success, else why it failed.
std::string WriteExport(const TFileTypeKelvo& document, const std::string& path,
                        TExportAction::TFormat format);

} // namespace kelvo
