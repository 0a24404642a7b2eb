#pragma once
// The close lock of a form: while a device operation holds it, closing the
// form is refused and remembered, and the last unlock carries the close out.
// One global lock belongs to the main form; every form lock holds it too, so
// that the whole program cannot be closed under a device exchange either.
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <cstdint>

namespace kelvo {

class TLockClose : public QObject {
    Q_OBJECT
public:
    TLockClose() = default;
    ~TLockClose() override;

    // Attaches to form (null detaches); the lock's hook sees the form's close
    // before the form itself does.
    void Attach(QWidget* form);
    QWidget* Form() const { return FForm; }

    void Lock();
    // True when this unlock closed the form (or the main form); a closed form
    // is deleted later from the event loop, never in here.
    bool Unlock();

    std::int32_t LockCount = 0;
    std::int32_t CloseRequests = 0;

    // The lock of the main form.
    static TLockClose& Global();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool IsGlobal() const { return this == &Global(); }
    QPointer<QWidget> FForm;
};

} // namespace kelvo
