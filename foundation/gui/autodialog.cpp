#include "foundation/gui/autodialog.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QPushButton>

#include <utility>

namespace kelvo {

namespace {

struct TButtonDef {
    const char* Caption;
    int Result;
    bool Default;
    bool Cancel;
};

using R = TAutoDialog::TResult;

// Up to three buttons per set, in the order they stand.
constexpr TButtonDef ButtonSets[7][3] = {
    {{"OK", R::Ok, true, false}, {}, {}},
    {{"OK", R::Ok, true, false}, {"Abbrechen", R::Cancel, false, true}, {}},
    {{"Aufgeben", R::Abort, false, true},
     {"Wiederholen", R::Retry, true, false},
     {"Übergehen", R::Ignore, false, false}},
    {{"Ja", R::Yes, true, false},
     {"Nein", R::No, false, false},
     {"Abbrechen", R::Cancel, false, true}},
    {{"Ja", R::Yes, true, false}, {"Nein", R::No, false, true}, {}},
    {{"Wiederholen", R::Retry, true, false}, {"Abbrechen", R::Cancel, false, true}, {}},
    {{"Abbrechen", R::Cancel, false, true}, {}, {}},
};

TAutoDialog::THelpHandler& HelpHandler() {
    static TAutoDialog::THelpHandler handler;
    return handler;
}

} // namespace

TAutoDialog::TAutoDialog(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) {}

TAutoDialog::THelpHandler TAutoDialog::SetHelpHandler(THelpHandler handler) {
    return std::exchange(HelpHandler(), std::move(handler));
}

void TAutoDialog::SetButtons(int flags) {
    const int set = flags & 0x0F;
    if (set < 7) {
        for (QPushButton*& b : Buttons) {
            delete b;
            b = nullptr;
        }
        FDefault = nullptr;
        FCancel = nullptr;
        int slot = 0;
        auto add = [&](const QString& caption) {
            auto* b = new QPushButton(caption, this);
            // Every button after the first stands beside its predecessor, or
            // in column placement the first opens a column of its own.
            if (flags & FlagButtonColumn)
                SetTileHints(b, slot == 0 ? TileNewColumn : 0, 0, 0, 0);
            else
                SetTileHints(b, slot == 0 ? 0 : TileBeside, 0, 0, 0);
            Buttons[slot++] = b;
            return b;
        };
        for (const TButtonDef& button : ButtonSets[set]) {
            if (!button.Caption)
                break;
            QPushButton* b = add(QString::fromUtf8(button.Caption));
            const int result = button.Result;
            connect(b, &QPushButton::clicked, this, [this, result] { done(result); });
            if (button.Default) {
                b->setDefault(true);
                FDefault = b;
            }
            if (button.Cancel)
                FCancel = b;
        }
        if (flags & FlagHelp) {
            QPushButton* help = add(QStringLiteral("Hilfe"));
            connect(help, &QPushButton::clicked, this, [this] {
                if (const THelpHandler handler = HelpHandler())
                    handler(*this);
            });
        }
        for (QPushButton* b : Buttons)
            if (b && isVisible())
                b->show();
    }
    Layout();
    CentreOnMainWindow();
}

void TAutoDialog::Layout() {
    // The size fixed by an earlier layout must not hold back this one.
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    kelvo::Layout(this, Tile);
    setFixedSize(size());
}

QWidget* TAutoDialog::MainWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<QMainWindow*>(w) && w->isVisible())
            return w;
    return QApplication::activeWindow();
}

void TAutoDialog::CentreOnMainWindow() {
    if (testAttribute(Qt::WA_Moved) && !CentredByUs)
        return;
    QWidget* main = MainWindow();
    if (!main || main == this)
        return;
    const QRect m = main->frameGeometry();
    move(m.left() + (m.width() - width()) / 2, m.top() + (m.height() - height()) / 2);
    CentredByUs = true;
}

void TAutoDialog::reject() {
    if (FCancel)
        FCancel->click();
    else
        done(Cancel);
}

void TAutoDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        // Escape means the cancel button; a set without one ignores it.
        if (FCancel)
            FCancel->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace kelvo
