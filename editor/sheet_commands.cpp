#include "editor/sheet_commands.h"

#include "editor/export_action.h"
#include "editor/klvform.h"
#include "editor/parameter_sheet.h"
#include "foundation/prompt.h"
#include "report/whole_file.h"
#include "shell/gui/filedialog.h"
#include "shell/gui/mainform.h"
#include "shell/gui/mainwindow.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QMenu>
#include <QPrintDialog>
#include <QPrinter>

#include <filesystem>

namespace kelvo {

namespace {

bool ShowPrintDialog(QPrinter& printer, QWidget* owner) {
    QPrintDialog dialog(&printer, owner);
    dialog.setWindowTitle(QString::fromLatin1(TSheetCommands::PrintTitle));
    return dialog.exec() == QDialog::Accepted;
}

QString PortText(const TKlvForm& editor) {
    const TKelvoStream* link = editor.Online() ? &editor.Online()->Session().Stream() : nullptr;
    if (!link || !link->IsOpen())
        return QStringLiteral("Offline");
    return QStringLiteral("%1, online at %2 Baud")
        .arg(QString::fromStdString(link->PortName()))
        .arg(link->Baud());
}

std::string ProposedPdfName(const std::string& documentName) {
    std::filesystem::path name(documentName.empty() ? std::string("New") : documentName);
    name.replace_extension(".pdf");
    return name.string();
}

void Tell(const char* title, const std::string& text) {
    Prompt().Ask(title, text, TPromptIcon::Error, TPromptButtons::Ok);
}

} // namespace

TKlvForm* SheetEditor() {
    auto* editor = qobject_cast<TKlvForm*>(ActiveDocumentWindow());
    if (!editor || !editor->Kelvo() || !HasExportRows(*editor->Kelvo()))
        return nullptr;
    return editor;
}

TSheetContext SheetContext(const TKlvForm& editor) {
    TSheetContext context;
    context.Port = PortText(editor);
    context.Printed = QDateTime::currentDateTime();
    context.Modified = editor.IsModifiedDocument();
    return context;
}

TSheetCommands::TSheetCommands(QWidget* owner)
    : QObject(owner), PrintSetup(ShowPrintDialog), FOwner(owner) {
    FPrint = new QAction("P&rint...", owner);
    FPrint->setObjectName("ActionFilePrint");
    FPrint->setShortcut(QKeySequence::Print);
    FPrint->setStatusTip("Print the parameter sheet of the current file");
    connect(FPrint, &QAction::triggered, this, [this] { Print(); });
    FExportPdf = new QAction("Export P&DF...", owner);
    FExportPdf->setObjectName("ActionFileExportPdf");
    FExportPdf->setStatusTip("Write the parameter sheet of the current file as a PDF file");
    connect(FExportPdf, &QAction::triggered, this, [this] { ExportPdf(); });
    auto dialog = std::make_unique<TQtFileDialog>(TQtFileDialog::Save, owner);
    dialog->Filter = PdfFilter;
    PdfDialog = std::move(dialog);
    // Enabling follows the active window: recomputed when the event loop
    // goes idle and when the File menu opens.
    if (auto* dispatcher = QAbstractEventDispatcher::instance())
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &TSheetCommands::Update);
    if (auto* main = qobject_cast<TMainForm*>(owner))
        connect(main->FileMenu(), &QMenu::aboutToShow, this, &TSheetCommands::Update);
    Update();
}

TSheetCommands::~TSheetCommands() = default;

void TSheetCommands::Update() {
    const bool enabled = SheetEditor() != nullptr;
    FPrint->setEnabled(enabled);
    FExportPdf->setEnabled(enabled);
}

bool TSheetCommands::Print() {
    TKlvForm* editor = SheetEditor();
    if (!editor)
        return false;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QString::fromStdString(editor->GetFileName()));
    if (!PrintSetup || !PrintSetup(printer, FOwner))
        return false;
    // The editor may have gone while the dialog was open.
    editor = SheetEditor();
    if (!editor)
        return false;
    const TParameterSheet sheet = BuildParameterSheet(*editor->Kelvo(), SheetContext(*editor));
    if (PaintParameterSheet(sheet, printer) > 0 && printer.printerState() != QPrinter::Error)
        return true;
    std::string where = printer.printerName().toStdString();
    if (printer.outputFormat() == QPrinter::PdfFormat)
        where = printer.outputFileName().toStdString();
    Tell(PrintTitle, "Could not print the parameter sheet" +
                         (where.empty() ? std::string() : " on \"" + where + "\"") + "!");
    return false;
}

bool TSheetCommands::ExportPdf() {
    TKlvForm* editor = SheetEditor();
    if (!editor)
        return false;
    TFileDialog& dialog = *PdfDialog;
    dialog.Filter = PdfFilter;
    dialog.FilterIndex = 1;
    dialog.Title = PdfTitle;
    dialog.FileName = ProposedPdfName(editor->GetFileName());
    if (!dialog.Execute() || dialog.FileName.empty())
        return false;
    const std::string path = AdjustToFilterPatterns(dialog.FileName, FilterPatterns(PdfFilter, 1));
    dialog.FileName = path;
    editor = SheetEditor();
    if (!editor)
        return false;
    const QByteArray pdf =
        ParameterSheetPdf(BuildParameterSheet(*editor->Kelvo(), SheetContext(*editor)));
    std::string why = pdf.isEmpty() ? std::string("The PDF document could not be made.")
                                    : WriteWholeFile(path, pdf.toStdString());
    if (why.empty())
        return true;
    Tell(PdfTitle, "Could not write \"" + path + "\"!\n" + why);
    return false;
}

TSheetCommands* InstallParameterSheet(TMainForm& main) {
    auto* commands = new TSheetCommands(&main);
    main.AddFileCommand(commands->PrintAction());
    main.AddFileCommand(commands->ExportPdfAction());
    return commands;
}

} // namespace kelvo
