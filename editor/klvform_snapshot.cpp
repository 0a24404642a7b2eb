// Nothing goes into the device without a snapshot of what it held: every
// write of old data or of compared rows reads the whole device first and saves
// its values.
#include "editor/klvform.h"

#include "foundation/prompt.h"
#include "online/kelvo_online.h"
#include "snapshots/snapshots.h"

#include <QTreeView>

namespace kelvo {

bool TKlvForm::SaveDeviceSnapshot(const std::string& caption) {
    std::string why;
    TFileTypeKelvo* document = Kelvo();
    if (!FOnline || !document) {
        why = "the window holds no device";
    } else {
        document->StartRefreshCycle();
        if (FOnline->ReadAllLines() < 0) {
            why = "the device's values could not be read";
        } else {
            const TSnapshotResult saved =
                SaveSnapshot(*document, FOnline->Session().Stream().PortName());
            if (saved.Ok()) {
                FLastSnapshot = saved.Path;
                FSnapshotNote = "snapshot saved to " + saved.Path;
                const QModelIndex current = KelvoListView->currentIndex();
                FSnapshotNoteRow = current.isValid() ? current.row() : -1;
                UpdateStatus();
                return true;
            }
            why = saved.Error;
        }
    }
    Prompt().Ask(caption,
                 "No snapshot of the device's values could be saved: " + why +
                     ".\n\nNothing was written.",
                 TPromptIcon::Error, TPromptButtons::Ok);
    return false;
}

} // namespace kelvo
