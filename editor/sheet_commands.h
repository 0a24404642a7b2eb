#pragma once
// File > Print... and File > Export PDF...: the parameter sheet of the active
// editor window, on a printer or in a PDF file. The commands belong to the
// program, not to one window: they act on whichever editor window is active
// and are enabled while it holds lines. The document is only read.
#include <QObject>

#include <functional>
#include <memory>
#include <string>

class QAction;
class QPrinter;
class QWidget;

namespace kelvo {

class TFileDialog;
class TKlvForm;
class TMainForm;
struct TSheetContext;

class TSheetCommands : public QObject {
    Q_OBJECT
public:
    static constexpr const char* PdfFilter = "PDF (*.pdf)|*.pdf";
    static constexpr const char* PrintTitle = "Print";
    static constexpr const char* PdfTitle = "Export PDF";

    // Asks the user for the printer and its settings; false when cancelled.
    // The program shows the toolkit's print dialog; tests answer themselves.
    using TPrintSetup = std::function<bool(QPrinter& printer, QWidget* owner)>;

    // owner parents the actions and the dialogs.
    explicit TSheetCommands(QWidget* owner);
    ~TSheetCommands() override;

    QAction* PrintAction() const { return FPrint; }
    QAction* ExportPdfAction() const { return FExportPdf; }
    // Enabled while an editor window with lines is active.
    void Update();

    // Print the active editor's sheet; false when nothing was printed (no
    // editor, cancelled, or the printer failed: the user was told).
    bool Print();
    // Asks for a file name and writes the sheet there in one piece; false
    // when nothing was written (cancelled, or the user was told why).
    bool ExportPdf();

    // The save dialog of Export PDF; tests put a scripted one here.
    std::unique_ptr<TFileDialog> PdfDialog;
    TPrintSetup PrintSetup;

private:
    QWidget* FOwner;
    QAction* FPrint = nullptr;
    QAction* FExportPdf = nullptr;
};

// The active editor window, when it holds lines to put on a sheet.
TKlvForm* SheetEditor();
// Port, date and modified state of an editor window, as its sheet states them.
TSheetContext SheetContext(const TKlvForm& editor);

// Puts Print... and Export PDF... into the main window's File menu, among
// the program's commands, and returns the commands (children of main).
TSheetCommands* InstallParameterSheet(TMainForm& main);

} // namespace kelvo
