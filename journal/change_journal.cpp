#include "journal/change_journal.h"

#include "foundation/user_folders.h"

#include <sqlite3.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>

namespace kelvo {

namespace fs = std::filesystem;

namespace {

// A writer waits this long for the others before it gives up; SQLite's own
// busy handler does the waiting, the loops below only cover the few places
// where SQLite reports busy without calling it (a database being created or
// switched to WAL by another process at the same moment).
constexpr int BusyTimeoutMs = 15000;
constexpr int BusyRetries = 200;

constexpr const char* CreateSchema =
    "CREATE TABLE IF NOT EXISTS changes("
    " id INTEGER PRIMARY KEY,"
    " time TEXT NOT NULL,"
    " login TEXT NOT NULL,"
    " host TEXT NOT NULL,"
    " port TEXT NOT NULL,"
    " program TEXT NOT NULL,"
    " serial TEXT NOT NULL,"
    " address INTEGER NOT NULL,"
    " instance INTEGER NOT NULL,"
    " caption TEXT NOT NULL,"
    " old_value TEXT NOT NULL,"
    " new_value TEXT NOT NULL,"
    " result TEXT NOT NULL CHECK(result IN ('equal','refused','different','written')),"
    " source TEXT NOT NULL"
    "  CHECK(source IN ('edit','undo','redo','old data','compare','kelvoctl')));"
    "CREATE INDEX IF NOT EXISTS changes_by_serial ON changes(serial, time);"
    "CREATE INDEX IF NOT EXISTS changes_by_port ON changes(port, time);";

constexpr const char* Columns = "id, time, login, host, port, program, serial, address, instance, "
                                "caption, old_value, new_value, result, source";

bool Busy(int rc) {
    return (rc & 0xFF) == SQLITE_BUSY || (rc & 0xFF) == SQLITE_LOCKED;
}

void Pause() {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

// A prepared statement, finalized when it goes.
class TStatement {
public:
    TStatement(sqlite3* db, const char* sql) {
        Rc = sqlite3_prepare_v2(db, sql, -1, &FStmt, nullptr);
    }
    ~TStatement() { sqlite3_finalize(FStmt); }
    TStatement(const TStatement&) = delete;
    TStatement& operator=(const TStatement&) = delete;

    sqlite3_stmt* Get() const { return FStmt; }
    void Text(int index, const std::string& text) {
        sqlite3_bind_text(FStmt, index, text.data(), int(text.size()), SQLITE_TRANSIENT);
    }
    void Int(int index, std::int64_t value) { sqlite3_bind_int64(FStmt, index, value); }
    // One step; the first is taken again while another connection holds the
    // lock (a later one would start the rows over).
    int Step() {
        int rc = sqlite3_step(FStmt);
        for (int i = 0; !FStepped && Busy(rc) && i < BusyRetries; ++i) {
            sqlite3_reset(FStmt);
            Pause();
            rc = sqlite3_step(FStmt);
        }
        FStepped = true;
        return rc;
    }
    std::string Column(int index) const {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(FStmt, index));
        return text ? std::string(text, std::size_t(sqlite3_column_bytes(FStmt, index)))
                    : std::string();
    }
    std::int64_t ColumnInt(int index) const { return sqlite3_column_int64(FStmt, index); }

    int Rc = SQLITE_OK;

private:
    sqlite3_stmt* FStmt = nullptr;
    bool FStepped = false;
};

// Runs statements without results, again while another connection holds the lock.
int Exec(sqlite3* db, const char* sql) {
    int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    for (int i = 0; Busy(rc) && i < BusyRetries; ++i) {
        Pause();
        rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    }
    return rc;
}

int UserVersion(sqlite3* db, int& version) {
    TStatement query(db, "PRAGMA user_version");
    if (query.Rc != SQLITE_OK)
        return query.Rc;
    const int rc = query.Step();
    if (rc != SQLITE_ROW)
        return rc;
    version = int(query.ColumnInt(0));
    return SQLITE_OK;
}

const std::string& ProcessLogin() {
    static const std::string login = LoginName();
    return login;
}
const std::string& ProcessHost() {
    static const std::string host = HostName();
    return host;
}

} // namespace

std::string DefaultJournalPath() {
    return UserFolder("XDG_DATA_HOME", ".local/share") + "/kelvo/journal.sqlite";
}

TChangeJournal::~TChangeJournal() {
    Close();
}

void TChangeJournal::Close() {
    if (FDb)
        sqlite3_close_v2(FDb);
    FDb = nullptr;
    FWritable = false;
}

TJournalStatus TChangeJournal::Failure(const std::string& what) const {
    std::string why = FDb ? sqlite3_errmsg(FDb) : "out of memory";
    if (FDb && sqlite3_system_errno(FDb) != 0)
        why += std::string(" (") + std::strerror(sqlite3_system_errno(FDb)) + ")";
    return {"cannot " + what + " the change journal " + FPath + ": " + why};
}

TJournalStatus TChangeJournal::Open(const std::string& path) {
    Close();
    FPath = path.empty() ? DefaultJournalPath() : path;
    const fs::path folder = fs::path(FPath).parent_path();
    if (!folder.empty()) {
        std::error_code error;
        fs::create_directories(folder, error);
        if (error || !fs::is_directory(folder))
            return {"cannot create the folder " + folder.string() + " of the change journal: " +
                    (error ? error.message() : std::string("not a folder"))};
    }
    return OpenDatabase(FPath, true);
}

TJournalStatus TChangeJournal::OpenToRead(const std::string& path) {
    Close();
    FPath = path.empty() ? DefaultJournalPath() : path;
    std::error_code error;
    if (!fs::exists(FPath, error))
        return {};
    return OpenDatabase(FPath, false);
}

TJournalStatus TChangeJournal::OpenDatabase(const std::string& path, bool write) {
    const int flags = write ? SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE : SQLITE_OPEN_READWRITE;
    int rc = sqlite3_open_v2(path.c_str(), &FDb, flags, nullptr);
    if (rc != SQLITE_OK && !write) {
        // A journal on a medium that cannot be written can still be read.
        sqlite3_close_v2(FDb);
        FDb = nullptr;
        rc = sqlite3_open_v2(path.c_str(), &FDb, SQLITE_OPEN_READONLY, nullptr);
    }
    if (rc != SQLITE_OK) {
        const TJournalStatus status = Failure("open");
        Close();
        return status;
    }
    sqlite3_busy_timeout(FDb, BusyTimeoutMs);
    const TJournalStatus status = PrepareSchema(write);
    if (!status.Ok())
        Close();
    return status;
}

TJournalStatus TChangeJournal::PrepareSchema(bool write) {
    int version = 0;
    if (!write) {
        if (UserVersion(FDb, version) != SQLITE_OK)
            return Failure("read");
        if (version > SchemaVersion)
            return {"the change journal " + FPath + " was written by a newer program (version " +
                    std::to_string(version) + ")"};
        return {};
    }
    if (sqlite3_db_readonly(FDb, "main") == 1)
        return {"cannot write the change journal " + FPath + ": it is read-only"};
    {
        // Once set, WAL mode stays with the database; readers then never
        // keep a writer waiting.
        TStatement mode(FDb, "PRAGMA journal_mode=WAL");
        if (mode.Rc != SQLITE_OK || mode.Step() != SQLITE_ROW)
            return Failure("open");
        if (mode.Column(0) != "wal")
            return {"cannot write the change journal " + FPath + ": its folder allows no WAL mode"};
    }
    // An entry stands for a change in a device: it must outlive a power cut.
    if (Exec(FDb, "PRAGMA synchronous=FULL") != SQLITE_OK)
        return Failure("open");
    // Taking the write lock here tells now whether entries can be written,
    // and makes the schema's creation one step that no other writer sees half done.
    if (Exec(FDb, "BEGIN IMMEDIATE") != SQLITE_OK)
        return Failure("write");
    auto fail = [this](const std::string& what) {
        TJournalStatus status = Failure(what);
        sqlite3_exec(FDb, "ROLLBACK", nullptr, nullptr, nullptr);
        return status;
    };
    if (UserVersion(FDb, version) != SQLITE_OK)
        return fail("read");
    if (version > SchemaVersion) {
        sqlite3_exec(FDb, "ROLLBACK", nullptr, nullptr, nullptr);
        return {"the change journal " + FPath + " was written by a newer program (version " +
                std::to_string(version) + "); this one writes version " +
                std::to_string(SchemaVersion)};
    }
    if (version == 0) {
        const std::string create =
            std::string(CreateSchema) + "PRAGMA user_version=" + std::to_string(SchemaVersion);
        if (sqlite3_exec(FDb, create.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
            return fail("create");
    }
    if (Exec(FDb, "COMMIT") != SQLITE_OK)
        return fail("write");
    FWritable = true;
    return {};
}

TJournalStatus TChangeJournal::Record(TJournalEntry& entry) {
    if (!FDb || !FWritable)
        return {"the change journal is not open for writing"};
    if (entry.Time.empty())
        entry.Time = JournalTimeNow();
    if (entry.Login.empty())
        entry.Login = ProcessLogin();
    if (entry.Host.empty())
        entry.Host = ProcessHost();
    TStatement insert(FDb, "INSERT INTO changes(time, login, host, port, program, serial, address, "
                           "instance, caption, old_value, new_value, result, source) "
                           "VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13)");
    if (insert.Rc != SQLITE_OK)
        return Failure("write");
    insert.Text(1, entry.Time);
    insert.Text(2, entry.Login);
    insert.Text(3, entry.Host);
    insert.Text(4, entry.Port);
    insert.Text(5, entry.Program);
    insert.Text(6, entry.Serial);
    insert.Int(7, entry.Address);
    insert.Int(8, entry.Instance);
    insert.Text(9, entry.Caption);
    insert.Text(10, entry.OldValue);
    insert.Text(11, entry.NewValue);
    insert.Text(12, ResultName(entry.Result));
    insert.Text(13, SourceName(entry.Source));
    // One statement, one transaction: with synchronous=FULL it is in the
    // write-ahead log on disk when the step returns.
    if (insert.Step() != SQLITE_DONE)
        return Failure("write");
    entry.Id = sqlite3_last_insert_rowid(FDb);
    return {};
}

std::vector<TJournalEntry> TChangeJournal::Query(const TJournalFilter& filter,
                                                 TJournalStatus* status) const {
    std::vector<TJournalEntry> entries;
    if (status)
        *status = {};
    if (!FDb)
        return entries; // no journal yet
    int version = 0;
    if (UserVersion(FDb, version) != SQLITE_OK) {
        if (status)
            *status = Failure("read");
        return entries;
    }
    if (version == 0)
        return entries; // a database that no entry was ever written to
    std::string sql = std::string("SELECT ") + Columns + " FROM changes WHERE time >= ?3";
    if (!filter.Serial.empty())
        sql += " AND serial = ?1";
    else if (!filter.Port.empty())
        sql += " AND port = ?2";
    sql += " ORDER BY time DESC, id DESC LIMIT ?4";
    TStatement select(FDb, sql.c_str());
    if (select.Rc != SQLITE_OK) {
        if (status)
            *status = Failure("read");
        return entries;
    }
    if (!filter.Serial.empty())
        select.Text(1, filter.Serial);
    else if (!filter.Port.empty())
        select.Text(2, filter.Port);
    select.Text(3, filter.Since);
    select.Int(4, filter.Limit ? std::int64_t(filter.Limit) : -1);
    int rc;
    while ((rc = select.Step()) == SQLITE_ROW) {
        TJournalEntry e;
        e.Id = select.ColumnInt(0);
        e.Time = select.Column(1);
        e.Login = select.Column(2);
        e.Host = select.Column(3);
        e.Port = select.Column(4);
        e.Program = select.Column(5);
        e.Serial = select.Column(6);
        e.Address = std::uint16_t(select.ColumnInt(7));
        e.Instance = std::int32_t(select.ColumnInt(8));
        e.Caption = select.Column(9);
        e.OldValue = select.Column(10);
        e.NewValue = select.Column(11);
        e.Result = ResultFromName(select.Column(12)).value_or(TJournalResult::Different);
        e.Source = SourceFromName(select.Column(13)).value_or(TJournalSource::Edit);
        entries.push_back(std::move(e));
    }
    if (rc != SQLITE_DONE && status)
        *status = Failure("read");
    return entries;
}

std::vector<TJournalEntry> ReadJournal(const TJournalFilter& filter, TJournalStatus& status,
                                       const std::string& path) {
    TChangeJournal journal;
    status = journal.OpenToRead(path);
    if (!status.Ok())
        return {};
    return journal.Query(filter, &status);
}

} // namespace kelvo
