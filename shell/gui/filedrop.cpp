#include "shell/gui/filedrop.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

namespace kelvo {

namespace {

// Always a copy, whatever the source proposes: a file manager told "moved"
// would delete the file the program has just opened. A source that offers no
// copy is refused.
bool AcceptAsCopy(QDropEvent& event) {
    if (!(event.possibleActions() & Qt::CopyAction)) {
        event.ignore();
        return false;
    }
    event.setDropAction(Qt::CopyAction);
    event.accept();
    return true;
}

} // namespace

TFileDrop::TFileDrop(QWidget* window, THandler handler)
    : QObject(window), FWindow(window), FHandler(std::move(handler)) {
    if (FWindow) {
        FWindow->setAcceptDrops(true);
        FWindow->installEventFilter(this);
    }
}

TFileDrop::~TFileDrop() {
    if (FWindow) {
        FWindow->removeEventFilter(this);
        FWindow->setAcceptDrops(false);
    }
}

bool TFileDrop::Scan(const QMimeData* data, bool deliver) {
    FAccept = false;
    if (!data || !data->hasUrls())
        return false;
    const QList<QUrl> urls = data->urls();
    for (qsizetype index = 0; index < urls.size(); ++index) {
        const QUrl& url = urls[index];
        if (!url.isLocalFile())
            continue;
        const QString path = url.toLocalFile();
        // A directory is no file to open.
        if (!QFileInfo(path).isFile())
            continue;
        FAccept = true;
        if (!deliver)
            break;
        FileDropped(static_cast<int>(index), path.toStdString());
    }
    return FAccept;
}

void TFileDrop::FileDropped(int index, const std::string& name) {
    if (FHandler)
        FHandler(index, name);
}

bool TFileDrop::eventFilter(QObject* watched, QEvent* event) {
    if (watched != FWindow)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::DragEnter: {
        auto* drag = static_cast<QDragEnterEvent*>(event);
        if (!Scan(drag->mimeData(), false) || !AcceptAsCopy(*drag)) {
            FAccept = false;
            drag->ignore();
        }
        return true;
    }
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (FAccept)
            AcceptAsCopy(*drag);
        else
            drag->ignore();
        return true;
    }
    case QEvent::DragLeave:
        FAccept = false;
        event->accept();
        return true;
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        if (!(drop->possibleActions() & Qt::CopyAction))
            drop->ignore();
        else if (Scan(drop->mimeData(), true))
            AcceptAsCopy(*drop);
        else
            drop->ignore();
        FAccept = false;
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}

} // namespace kelvo
