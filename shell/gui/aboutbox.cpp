#include "shell/gui/aboutbox.h"

#include "foundation/gui/memotab.h"
#include "product_info.h"
#include "shell/gui/toolbar_icons.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kelvo {

QString TAboutBox::InformationText() {
    if (QStringLiteral(KELVO_PRODUCT_NAME).isEmpty())
        return "-";
    QString text =
        QString("Product Name:\t%1\n\nVersion:\t%2\n\nCopyright:\t%3\n\nCompany:\t%4")
            .arg(KELVO_PRODUCT_NAME, KELVO_PRODUCT_VERSION, KELVO_COPYRIGHT, KELVO_COMPANY);
    const QString language = QStringLiteral(KELVO_LANGUAGE);
    if (!language.isEmpty() && language.size() <= 24)
        text += "\n\nLanguage:\t" + language;
    return text;
}

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setWindowTitle("About " + (parent ? parent->window()->windowTitle() : QString("KelvoW32")));
    auto* panel = new QFrame;
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    FMemo = new QPlainTextEdit;
    FMemo->setFrameShape(QFrame::NoFrame);
    FMemo->setPlainText("-");
    QPalette palette = FMemo->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    FMemo->setPalette(palette);
    FMemoTab = std::make_unique<TMemoTab>(FMemo);
    FMemoTab->SetAutoFit(true);
    FMemoTab->TabStops = {60};
    FMemoTab->ApplyTabStops();
    FMemo->setPlainText(InformationText());
    auto* icon = new QLabel;
    icon->setPixmap(ApplicationIcon().pixmap(48, 48));
    icon->setAlignment(Qt::AlignTop | Qt::AlignRight);
    auto* inside = new QHBoxLayout(panel);
    inside->addWidget(FMemo, 1);
    inside->addWidget(icon);
    auto* ok = new QPushButton("OK");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panel);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

TAboutBox::~TAboutBox() = default;

} // namespace kelvo
