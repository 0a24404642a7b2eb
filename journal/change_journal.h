#pragma once
// The change journal: every value written into a device, in an SQLite
// database ($XDG_DATA_HOME/kelvo/journal.sqlite), created with its folders on
// first use. Several programs and threads write into it at once: each has its
// own connection, the database runs in WAL mode, and every entry goes in by
// one transaction that waits for the others instead of failing. The schema's
// version stands in the database (user_version); a journal of a newer
// version is refused rather than changed.
#include "journal/journal_entry.h"

#include <cstddef>
#include <string>
#include <vector>

struct sqlite3;

namespace kelvo {

// Empty Error: it worked; otherwise why not, in words for the user
// ("cannot open the change journal /x/journal.sqlite: Permission denied").
struct TJournalStatus {
    std::string Error;
    bool Ok() const { return Error.empty(); }
};

// Which entries a query gives. Serial, when not empty, picks the entries of
// the device with that serial number; else Port, when not empty, those of the
// port. Since (the journal's time form, see JournalTimeFromDate) leaves out
// older entries; Limit, when not 0, keeps the newest Limit.
struct TJournalFilter {
    std::string Serial;
    std::string Port;
    std::string Since;
    std::size_t Limit = 0;
};

std::string DefaultJournalPath();

class TChangeJournal {
public:
    static constexpr int SchemaVersion = 1;

    TChangeJournal() = default;
    ~TChangeJournal();
    TChangeJournal(const TChangeJournal&) = delete;
    TChangeJournal& operator=(const TChangeJournal&) = delete;

    // Opens the journal for writing (path empty: the default one), creating
    // its folders and the database when they are missing; succeeds only when
    // an entry can be written now.
    TJournalStatus Open(const std::string& path = {});
    // Opens an existing journal for reading only; a missing one is not an
    // error, it has no entries.
    TJournalStatus OpenToRead(const std::string& path = {});
    void Close();
    bool IsOpen() const { return FDb != nullptr; }
    const std::string& Path() const { return FPath; }

    // Writes entry, filling in its Id and, when empty, its Time, Login and
    // Host. The entry is on disk when this succeeds.
    TJournalStatus Record(TJournalEntry& entry);
    // The entries the filter lets through, newest first.
    std::vector<TJournalEntry> Query(const TJournalFilter& filter,
                                     TJournalStatus* status = nullptr) const;

private:
    TJournalStatus OpenDatabase(const std::string& path, bool write);
    TJournalStatus Failure(const std::string& what) const;
    TJournalStatus PrepareSchema(bool write);

    sqlite3* FDb = nullptr;
    std::string FPath;
    bool FWritable = false;
};

// Reads the entries of the journal at path (the default one when empty).
std::vector<TJournalEntry> ReadJournal(const TJournalFilter& filter, TJournalStatus& status,
                                       const std::string& path = {});

} // namespace kelvo
