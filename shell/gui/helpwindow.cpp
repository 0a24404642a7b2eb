#include "shell/gui/helpwindow.h"

#include "translations/mlparas.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace kelvo {

namespace {
QPointer<THelpWindow> helpWindow;
} // namespace

std::string HelpDirectory() {
    return DataDirectory() + "/" + help_pages::Folder;
}

std::string HelpPageForContext(int context, const std::string& className) {
    return help_pages::ForContext(context, className == "kelvo::TKlvForm");
}

THelpWindow::THelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle("KelvoW32 Help");
    setAttribute(Qt::WA_DeleteOnClose);
    FBrowser = new QTextBrowser;
    FBrowser->setOpenExternalLinks(true);
    FBrowser->setSearchPaths({QString::fromStdString(HelpDirectory())});
    auto* contents = new QPushButton("&Contents");
    auto* back = new QPushButton("&Back");
    auto* forward = new QPushButton("&Forward");
    auto* close = new QPushButton("Close");
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(contents, &QPushButton::clicked, this, [this] { Open(HelpContentsPage); });
    connect(back, &QPushButton::clicked, FBrowser, &QTextBrowser::backward);
    connect(forward, &QPushButton::clicked, FBrowser, &QTextBrowser::forward);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    connect(FBrowser, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(FBrowser, &QTextBrowser::forwardAvailable, forward, &QPushButton::setEnabled);
    connect(FBrowser, &QTextBrowser::sourceChanged, this,
            [this] { setWindowTitle(FBrowser->documentTitle() + " - KelvoW32 Help"); });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(contents);
    buttons->addWidget(back);
    buttons->addWidget(forward);
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(FBrowser);
    resize(640, 560);
}

void THelpWindow::Open(const std::string& page) {
    const QString path =
        QDir(QString::fromStdString(HelpDirectory())).filePath(QString::fromStdString(page));
    if (!QFileInfo::exists(path)) {
        FBrowser->setHtml("<h2>Help</h2><p>The help page <b>" +
                          QString::fromStdString(page).toHtmlEscaped() + "</b> was not found in " +
                          QString::fromStdString(HelpDirectory()).toHtmlEscaped() + ".</p>");
        return;
    }
    FBrowser->setSource(QUrl::fromLocalFile(path));
}

THelpWindow* THelpWindow::Show(const std::string& page, QWidget* parent) {
    if (!helpWindow)
        helpWindow = new THelpWindow(parent);
    helpWindow->Open(page);
    helpWindow->show();
    helpWindow->raise();
    helpWindow->activateWindow();
    return helpWindow;
}

} // namespace kelvo
