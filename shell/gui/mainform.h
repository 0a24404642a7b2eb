#pragma once
// The frame that holds the document windows, as the document windows see it.
// The main window makes itself known here; without one (tests, tools) the
// document windows stand alone and the last one activated counts as active.
class QWidget;
class QMdiArea;
class QStatusBar;

namespace kelvo {

class TFilesaveForm;

// The application's main form and the area its document windows live in;
// either may be null.
QWidget* MainForm();
QMdiArea* MainArea();
void SetMainForm(QWidget* form, QMdiArea* area);

// Puts a new document window into the main window's area (when there is one)
// and shows it.
void ShowDocumentWindow(TFilesaveForm* window);

// The document window the user works in, or null.
TFilesaveForm* ActiveDocumentWindow();
// The focused control of the active document window, or null.
QWidget* GetActiveControl();

} // namespace kelvo
