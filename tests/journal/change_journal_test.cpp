// The change journal's database: what an entry keeps, the order and filters
// of a query, its creation on first use, and journals that cannot be written.
#include "journal_fixture.h"

#include "journal/journal_writes.h"
#include "support/scripted_prompt.h"

#include <sqlite3.h>

#include <fstream>

namespace kelvo::test {

namespace {

// A value of the database at path, read past the journal's own code.
std::string Pragma(const std::string& path, const char* pragma) {
    sqlite3* db = nullptr;
    std::string value;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, pragma, -1, &stmt, nullptr) == SQLITE_OK &&
            sqlite3_step(stmt) == SQLITE_ROW)
            value = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
        sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
    return value;
}

void SetUserVersion(const std::string& path, int version) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    const std::string sql = "PRAGMA user_version=" + std::to_string(version);
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

} // namespace

using ChangeJournal = JournalFixture;

TEST_F(ChangeJournal, AnEntryComesBackWithEveryFieldAndWhoWroteIt) {
    TChangeJournal journal;
    ASSERT_TRUE(journal.Open(Path).Ok());
    TJournalEntry e = Entry(0x0063, "Channel 2");
    e.Instance = 1;
    e.Caption = "Source, \"quoted\" ü";
    e.OldValue = "Channel 1";
    e.Result = TJournalResult::Different;
    e.Source = TJournalSource::OldData;
    ASSERT_TRUE(journal.Record(e).Ok());
    EXPECT_GT(e.Id, 0);
    EXPECT_EQ(e.Login, LoginName());
    EXPECT_EQ(e.Host, HostName());
    ASSERT_EQ(e.Time.size(), 24u) << e.Time;
    EXPECT_EQ(e.Time.back(), 'Z');

    const auto all = All();
    ASSERT_EQ(all.size(), 1u);
    const TJournalEntry& r = all[0];
    EXPECT_EQ(r.Id, e.Id);
    EXPECT_EQ(r.Time, e.Time);
    EXPECT_EQ(r.Login, e.Login);
    EXPECT_EQ(r.Host, e.Host);
    EXPECT_EQ(r.Port, "COM1");
    EXPECT_EQ(r.Program, "KT200 V2.14");
    EXPECT_EQ(r.Serial, "204117");
    EXPECT_EQ(r.Address, 0x0063);
    EXPECT_EQ(r.Instance, 1);
    EXPECT_EQ(r.Caption, e.Caption);
    EXPECT_EQ(r.OldValue, "Channel 1");
    EXPECT_EQ(r.NewValue, "Channel 2");
    EXPECT_EQ(r.Result, TJournalResult::Different);
    EXPECT_EQ(r.Source, TJournalSource::OldData);
}

TEST_F(ChangeJournal, EveryResultAndSourceIsKeptAsItsName) {
    // The schema lists the names it takes: a name it lacks would refuse entries.
    TChangeJournal journal;
    ASSERT_TRUE(journal.Open(Path).Ok());
    const TJournalResult results[] = {TJournalResult::Equal, TJournalResult::Refused,
                                      TJournalResult::Different, TJournalResult::Written};
    const TJournalSource sources[] = {TJournalSource::Edit,    TJournalSource::Undo,
                                      TJournalSource::Redo,    TJournalSource::OldData,
                                      TJournalSource::Compare, TJournalSource::Kelvoctl};
    for (const TJournalResult result : results)
        for (const TJournalSource source : sources) {
            TJournalEntry e = Entry(0x25, "750");
            e.Result = result;
            e.Source = source;
            EXPECT_TRUE(journal.Record(e).Ok()) << ResultName(result) << " " << SourceName(source);
        }
    const auto all = All();
    ASSERT_EQ(all.size(), 24u);
    for (std::size_t i = 0; i < all.size(); ++i) {
        EXPECT_EQ(all[23 - i].Result, results[i / 6]);
        EXPECT_EQ(all[23 - i].Source, sources[i % 6]);
    }
    EXPECT_EQ(Pragma(Path, "SELECT source FROM changes WHERE id = 4"), "old data");
    EXPECT_FALSE(ResultFromName("fine"));
    EXPECT_FALSE(SourceFromName("Edit"));
}

TEST_F(ChangeJournal, QueriesGiveTheNewestFirstByDeviceSinceADate) {
    TChangeJournal journal;
    ASSERT_TRUE(journal.Open(Path).Ok());
    struct {
        const char* Time;
        const char* Serial;
        const char* Port;
        const char* Value;
    } rows[] = {
        {"2026-12-01T08:00:00.000Z", "204117", "COM1", "a"},
        {"2026-12-03T08:00:00.000Z", "204117", "COM2", "b"},
        {"2026-12-02T08:00:00.000Z", "300000", "COM1", "c"},
        {"2026-12-03T08:00:00.000Z", "204117", "COM1", "d"}, // same time as b: recorded later
        {"2026-12-04T08:00:00.000Z", "", "COM1", "e"},
    };
    for (const auto& row : rows) {
        TJournalEntry e = Entry(0x25, row.Value, row.Serial, row.Port);
        e.Time = row.Time;
        ASSERT_TRUE(journal.Record(e).Ok());
    }
    auto values = [&](const TJournalFilter& filter) {
        std::string out;
        TJournalStatus status;
        for (const TJournalEntry& e : journal.Query(filter, &status))
            out += e.NewValue;
        EXPECT_TRUE(status.Ok()) << status.Error;
        return out;
    };
    auto filter = [](std::string serial, std::string port, const char* since = nullptr,
                     std::size_t limit = 0) {
        TJournalFilter f;
        f.Serial = std::move(serial);
        f.Port = std::move(port);
        f.Since = since ? JournalTimeFromDate(since).value_or("invalid") : "";
        f.Limit = limit;
        return f;
    };
    EXPECT_EQ(values({}), "edbca");
    EXPECT_EQ(values(filter("204117", "")), "dba");
    EXPECT_EQ(values(filter("204117", "COM2")), "dba") << "the serial number wins";
    EXPECT_EQ(values(filter("", "COM1")), "edca");
    EXPECT_EQ(values(filter("", "", "2026-12-03")), "edb");
    EXPECT_EQ(values(filter("204117", "", "2026-12-03 08:00")), "db");
    EXPECT_EQ(values(filter("", "", nullptr, 2)), "ed");
    EXPECT_EQ(values(filter("999", "")), "");
}

TEST_F(ChangeJournal, IsCreatedOnFirstUseWithItsFoldersInWalModeWithItsVersion) {
    const std::string deep = Dir + "/a/b/kelvo/journal.sqlite";
    {
        TChangeJournal journal;
        const TJournalStatus status = journal.Open(deep);
        ASSERT_TRUE(status.Ok()) << status.Error;
        EXPECT_EQ(journal.Path(), deep);
    }
    EXPECT_EQ(Pragma(deep, "PRAGMA journal_mode"), "wal");
    EXPECT_EQ(Pragma(deep, "PRAGMA user_version"), std::to_string(TChangeJournal::SchemaVersion));
    EXPECT_EQ(Pragma(deep, "SELECT count(*) FROM changes"), "0");

    // Opened again, the entries stay.
    TChangeJournal again;
    ASSERT_TRUE(again.Open(deep).Ok());
    TJournalEntry e = Entry(0x25, "750");
    ASSERT_TRUE(again.Record(e).Ok());
    again.Close();
    TChangeJournal third;
    ASSERT_TRUE(third.Open(deep).Ok());
    EXPECT_EQ(third.Query({}).size(), 1u);
}

TEST_F(ChangeJournal, TheDefaultJournalLiesInTheUsersDataFolder) {
    const char* old = std::getenv("XDG_DATA_HOME");
    const std::string saved = old ? old : "";
    ::setenv("XDG_DATA_HOME", Dir.c_str(), 1);
    EXPECT_EQ(DefaultJournalPath(), Dir + "/kelvo/journal.sqlite");
    TChangeJournal journal;
    EXPECT_TRUE(journal.Open().Ok());
    EXPECT_TRUE(std::filesystem::exists(Dir + "/kelvo/journal.sqlite"));
    if (old)
        ::setenv("XDG_DATA_HOME", saved.c_str(), 1);
    else
        ::unsetenv("XDG_DATA_HOME");
}

TEST_F(ChangeJournal, ReadingAMissingJournalGivesNoEntriesAndCreatesNothing) {
    TJournalStatus status;
    EXPECT_TRUE(ReadJournal({}, status, Dir + "/none/journal.sqlite").empty());
    EXPECT_TRUE(status.Ok()) << status.Error;
    EXPECT_FALSE(std::filesystem::exists(Dir + "/none"));
}

TEST_F(ChangeJournal, AJournalThatCannotBeOpenedSaysWhyAndNamesItsPath) {
    const std::string blocker = Dir + "/blocker";
    std::ofstream(blocker) << "a file, not a folder";
    const std::string garbage = Dir + "/garbage.sqlite";
    std::ofstream(garbage) << std::string(4096, 'x');
    const std::string folder = Dir + "/folder.sqlite";
    std::filesystem::create_directory(folder);

    struct {
        std::string Path;
        std::string Names;
        const char* Why;
    } cases[] = {
        {blocker + "/journal.sqlite", blocker, "folder"},
        {garbage, garbage, "not a database"},
        {folder, folder, "open"},
    };
    for (const auto& c : cases) {
        TChangeJournal journal;
        const TJournalStatus status = journal.Open(c.Path);
        EXPECT_FALSE(status.Ok()) << c.Path;
        EXPECT_FALSE(journal.IsOpen()) << c.Path;
        EXPECT_NE(status.Error.find(c.Names), std::string::npos) << status.Error;
        EXPECT_NE(status.Error.find(c.Why), std::string::npos) << status.Error;
        TJournalEntry e = Entry(0x25, "750");
        EXPECT_FALSE(journal.Record(e).Ok()) << "a journal that did not open takes nothing";
    }
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(std::ifstream(garbage).rdbuf()), {}),
              std::string(4096, 'x'))
        << "a file that is no journal is left as it was";
}

TEST_F(ChangeJournal, AJournalOfANewerVersionIsRefusedAndLeftAlone) {
    {
        TChangeJournal journal;
        ASSERT_TRUE(journal.Open(Path).Ok());
        TJournalEntry e = Entry(0x25, "750");
        ASSERT_TRUE(journal.Record(e).Ok());
    }
    SetUserVersion(Path, TChangeJournal::SchemaVersion + 1);
    TChangeJournal journal;
    const TJournalStatus status = journal.Open(Path);
    EXPECT_FALSE(status.Ok());
    EXPECT_NE(status.Error.find("newer"), std::string::npos) << status.Error;
    TJournalStatus read;
    EXPECT_TRUE(ReadJournal({}, read, Path).empty());
    EXPECT_FALSE(read.Ok());
    EXPECT_EQ(Pragma(Path, "SELECT count(*) FROM changes"), "1");
}

TEST_F(ChangeJournal, AWriteStopsWithAMessageWhenTheJournalCannotBeWritten) {
    TScriptedPrompt prompt;
    TPromptScope scope(prompt);
    const std::string blocker = Dir + "/blocker";
    std::ofstream(blocker) << "not a folder";
    TJournalWrites writes({"COM1", "KT200 V2.14", "204117"}, TJournalSource::Edit,
                          blocker + "/journal.sqlite");
    EXPECT_FALSE(JournalReady(writes, "Edit Value"));
    ASSERT_EQ(prompt.Asked.size(), 1u);
    EXPECT_EQ(prompt.Asked[0].Caption, "Edit Value");
    EXPECT_EQ(prompt.Asked[0].Icon, TPromptIcon::Error);
    EXPECT_NE(prompt.Asked[0].Text.find(blocker), std::string::npos) << prompt.Asked[0].Text;
    EXPECT_NE(prompt.Asked[0].Text.find("Nothing was written."), std::string::npos);
    EXPECT_FALSE(writes.Record({0x25, 0, "Filter time [ms]"}, "500", "750", TJournalResult::Equal))
        << "a refused journal stays refused";
    EXPECT_EQ(writes.Recorded(), 0u);
}

TEST_F(ChangeJournal, AnOperationsWritesNameItsDeviceAndSource) {
    TJournalWrites writes({"/dev/ttyUSB0", "KT200 V2.14", "204117"}, TJournalSource::Kelvoctl,
                          Path);
    ASSERT_TRUE(writes.Ready()) << writes.Error();
    ASSERT_TRUE(writes.Record({0x25, 0, "Filter time [ms]"}, "500", "750",
                              ReadBackResult(true, "750", "750")));
    writes.SetDevice({"/dev/ttyUSB0", "KT200 V2.14", "204118"});
    ASSERT_TRUE(writes.Record({0x13, 0, "Serial number"}, "204117", "204118",
                              ReadBackResult(true, "204118", "204119")));
    ASSERT_TRUE(writes.Record({0x62, 1, "Setpoint"}, "80.0", "x", ReadBackResult(false, "x", "")));
    EXPECT_EQ(writes.Recorded(), 3u);
    const auto all = All();
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[2].Serial, "204117");
    EXPECT_EQ(all[1].Serial, "204118");
    for (const TJournalEntry& e : all) {
        EXPECT_EQ(e.Port, "/dev/ttyUSB0");
        EXPECT_EQ(e.Source, TJournalSource::Kelvoctl);
    }
    EXPECT_EQ(all[2].Result, TJournalResult::Equal);
    EXPECT_EQ(all[1].Result, TJournalResult::Different);
    EXPECT_EQ(all[0].Result, TJournalResult::Refused);
    EXPECT_EQ(all[0].Instance, 1);
}

} // namespace kelvo::test
