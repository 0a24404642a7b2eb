#pragma once
// Makes a widget accept files dragged onto it from a file manager. A drag is
// accepted only when it holds at least one existing local file; a drop hands
// each existing file on in order, with its position among all the dragged
// names (names of missing files count but are skipped). Text and other data
// are refused.
#include <QObject>
#include <QPointer>

#include <functional>
#include <string>

class QMimeData;
class QWidget;

namespace kelvo {

class TFileDrop : public QObject {
    Q_OBJECT
public:
    using THandler = std::function<void(int index, const std::string& name)>;

    // Watches window's drag and drop events and lets it accept drops.
    explicit TFileDrop(QWidget* window, THandler handler = {});
    ~TFileDrop() override;

    // Whether the drag now over the window holds an existing file.
    bool Accepting() const { return FAccept; }

    // Goes through the dragged names; with deliver, hands each existing file
    // to FileDropped. Answers whether one exists.
    bool Scan(const QMimeData* data, bool deliver);

protected:
    // By default calls the handler.
    virtual void FileDropped(int index, const std::string& name);
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> FWindow;
    THandler FHandler;
    bool FAccept = false;
};

} // namespace kelvo
