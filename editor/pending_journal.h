#pragma once
// The change journal of the values an editor window writes into its device
// through the pending entry: edits, Undo and Redo. One journal serves the
// window's online session. Each write is recorded once: when the line has
// been read back after the device took it, or as refused when the device
// never took it and the document did instead, offline.
#include "journal/journal_writes.h"
#include "model/kelvofile.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kelvo {

class TKelvoOnline;

class TPendingJournal {
public:
    using TEntry = TFileTypeKelvo::TEntry;

    explicit TPendingJournal(TKelvoOnline& online) : FOnline(online) {}

    // Before a write of source is queued: false when the journal cannot be
    // written (a box said why), and nothing may be queued.
    bool Ready(TJournalSource source);
    // The pending entry is now a write of source; replaced, the one it took
    // the place of, went unwritten (null when none waited).
    void Queued(TJournalSource source, const TEntry* replaced);
    // The pending entry went without a trace: nothing is recorded of it.
    void Forget() { FPending.reset(); }
    std::optional<TJournalSource> PendingSource() const;
    void Refused();
    // The device took written; before is what its line showed.
    void Written(const TEntry& written, const TEntry& before);
    // The document took the pending entry offline, now showing it.
    void Applied(const TEntry& now, const TEntry& before);
    // A line was read from the device. False when the journal failed (a
    // box said so): nothing more may be written.
    bool LineRead(const TEntry& line);
    // No more reads come: writes not read back are recorded with what the
    // line showed last.
    bool Stopped();

    // The box caption of a write of source.
    static const char* Caption(TJournalSource source);

private:
    struct TPending {
        TJournalSource Source;
        bool Refused = false;
    };
    struct TAwaiting {
        std::unique_ptr<TEntry> Written;
        std::string Before;
        TJournalSource Source;
    };

    TJournalWrites& Writes();
    bool Record(const TEntry& written, const std::string& before, TJournalResult result,
                TJournalSource source);

    TKelvoOnline& FOnline;
    std::unique_ptr<TJournalWrites> FWrites;
    std::optional<TPending> FPending;
    std::vector<TAwaiting> FAwaiting;
};

} // namespace kelvo
