#pragma once
// The editor window as the online operation's surroundings: a QTimer for the
// 110 ms tick, the window's close lock, and the list and status it keeps
// current.
#include "online/online_host.h"

namespace kelvo {

class TKlvForm;

class TEditorHost : public TTickSource, public TCloseLock, public TOnlineView {
public:
    explicit TEditorHost(TKlvForm& form) : FForm(form) {}
    ~TEditorHost() override;

    std::unique_ptr<TTicker> Start(int intervalMs, std::function<void()> tick) override;
    std::int64_t Milliseconds() const override;

    void Lock() override;
    bool Unlock() override;

    int TopRow() const override;
    int VisibleRows() const override;
    void RowChanged(int row) override;
    void ListChanged() override;
    void DocumentChanged() override;
    void StatusChanged() override;
    void ProcessMessages() override;
    void SetBusy(bool busy) override;

private:
    TKlvForm& FForm;
    int FBusy = 0;
};

} // namespace kelvo
