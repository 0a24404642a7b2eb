#pragma once
// A modal dialog built in code on the tile layout: the caller adds its
// controls, chooses a standard button set, and the dialog lays itself out and
// centres itself on the main window.
#include "foundation/gui/tilectrl.h"

#include <QDialog>

#include <array>
#include <functional>

class QPushButton;

namespace kelvo {

class TAutoDialog : public QDialog {
    Q_OBJECT
public:
    // The standard results, which exec() returns.
    enum TResult : int {
        None = 0,
        Ok = 1,
        Cancel = 2,
        Abort = 3,
        Retry = 4,
        Ignore = 5,
        Yes = 6,
        No = 7
    };
    // Low 4 bits of SetButtons' flags: the button set; 7 to 15 leave the buttons.
    enum TButtonSet : int {
        SetOk = 0,
        SetOkCancel = 1,
        SetAbortRetryIgnore = 2,
        SetYesNoCancel = 3,
        SetYesNo = 4,
        SetRetryCancel = 5,
        SetCancel = 6,
    };
    static constexpr int FlagButtonColumn = 0x1000; // buttons right of the content
    static constexpr int FlagHelp = 0x4000;         // a "Hilfe" button as well

    explicit TAutoDialog(QWidget* owner = nullptr);

    // Replaces the buttons by a standard set, lays out the dialog and, unless
    // it has been placed elsewhere, centres it on the main window.
    void SetButtons(int flags);
    // Places the controls and fixes the dialog's size around them.
    void Layout();

    // The button slots; null when unused.
    QPushButton* Button(int slot) const { return Buttons.at(slot); }
    QPushButton* DefaultButton() const { return FDefault; }
    QPushButton* CancelButton() const { return FCancel; }

    // Shows help for a dialog; the "Hilfe" button calls it. None is installed
    // at first, and then the button does nothing.
    using THelpHandler = std::function<void(TAutoDialog&)>;
    static THelpHandler SetHelpHandler(THelpHandler handler);

    // The application's main window: the visible QMainWindow, else the active
    // window; null when there is none.
    static QWidget* MainWindow();

    TTileTable Tile;

public slots:
    // A close without Escape or a button (the window's close box) gives Cancel.
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void CentreOnMainWindow();

    std::array<QPushButton*, 4> Buttons{};
    QPushButton* FDefault = nullptr;
    QPushButton* FCancel = nullptr;
    bool CentredByUs = false;
};

} // namespace kelvo
