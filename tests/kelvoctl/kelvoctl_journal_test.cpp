// kelvoctl journal: the journal's entries in each format, filtered by serial
// number and date, and what it says when there is no journal or a broken one.
#include "journal/journal_fixture.h"
#include "tools/kelvoctl/commands.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

namespace {

using namespace kelvo;
using namespace kelvo::ctl;

class KelvoctlJournal : public kelvo::test::JournalFixture {
protected:
    // Two devices: the demonstration transmitter written twice, another once.
    void Fill() {
        TChangeJournal journal;
        ASSERT_TRUE(journal.Open(Path).Ok());
        struct {
            const char* Time;
            const char* Serial;
            const char* New;
            TJournalResult Result;
        } rows[] = {
            {"2026-12-07T09:00:00.000Z", "204117", "600", TJournalResult::Equal},
            {"2026-12-08T10:00:00.000Z", "300000", "1,5", TJournalResult::Different},
            {"2026-12-09T11:00:00.000Z", "204117", "750", TJournalResult::Refused},
        };
        for (const auto& row : rows) {
            TJournalEntry e;
            e.Time = row.Time;
            e.Login = "anna";
            e.Host = "bench-1";
            e.Port = "/dev/ttyUSB0";
            e.Program = "KT200 V2.14";
            e.Serial = row.Serial;
            e.Address = 0x25;
            e.Caption = "Filter time [ms]";
            e.OldValue = "500";
            e.NewValue = row.New;
            e.Result = row.Result;
            e.Source = TJournalSource::Kelvoctl;
            ASSERT_TRUE(journal.Record(e).Ok());
        }
    }
    struct TRun {
        int Exit = -1;
        std::string Out;
        std::string Err;
    };
    TRun Journal(std::vector<std::string> args, bool ownJournal = true) {
        if (ownJournal) {
            args.push_back("--journal");
            args.push_back(Path);
        }
        std::ostringstream out, err;
        std::streambuf* savedOut = std::cout.rdbuf(out.rdbuf());
        std::streambuf* savedErr = std::cerr.rdbuf(err.rdbuf());
        TRun run;
        run.Exit = FindCommand("journal")->Run(args);
        std::cout.rdbuf(savedOut);
        std::cerr.rdbuf(savedErr);
        run.Out = out.str();
        run.Err = err.str();
        return run;
    }
    static std::size_t Lines(const std::string& text) {
        std::size_t n = 0;
        for (const char c : text)
            n += c == '\n';
        return n;
    }
};

TEST_F(KelvoctlJournal, TextIsOneLinePerEntryNewestFirst) {
    Fill();
    const TRun run = Journal({});
    EXPECT_EQ(run.Exit, ExitOk) << run.Err;
    EXPECT_EQ(Lines(run.Out), 3u) << run.Out;
    EXPECT_EQ(run.Out.rfind("2026-12-09 11:00:00 UTC  anna@bench-1  /dev/ttyUSB0", 0), 0u)
        << run.Out;
    EXPECT_NE(run.Out.find("SN 204117  0x0025 \"Filter time [ms]\": \"500\" -> \"750\"  refused  "
                           "(kelvoctl)\n"),
              std::string::npos)
        << run.Out;
    EXPECT_LT(run.Out.find("\"1,5\""), run.Out.find("\"600\""));
}

TEST_F(KelvoctlJournal, CsvAndJsonCarryTheSameEntriesForOneSerialNumber) {
    Fill();
    const TRun csv = Journal({"--serial", "204117", "--format", "csv"});
    EXPECT_EQ(csv.Exit, ExitOk) << csv.Err;
    EXPECT_EQ(csv.Out.rfind("time,login,host,port,program,serial,key,caption,", 0), 0u);
    EXPECT_EQ(Lines(csv.Out), 3u) << "the header and two entries:\n" << csv.Out;
    EXPECT_NE(csv.Out.find("\r\n2026-12-09T11:00:00.000Z,anna,bench-1,/dev/ttyUSB0,KT200 V2.14,"
                           "204117,0x0025,Filter time [ms],500,750,refused,kelvoctl\r\n"
                           "2026-12-07T09:00:00.000Z,"),
              std::string::npos)
        << csv.Out;
    EXPECT_EQ(csv.Out.find("300000"), std::string::npos);

    const TRun json = Journal({"--serial=204117", "--format=json"});
    EXPECT_EQ(json.Exit, ExitOk) << json.Err;
    EXPECT_EQ(json.Out.rfind("[\n {\"time\":\"2026-12-09T11:00:00.000Z\"", 0), 0u) << json.Out;
    EXPECT_NE(
        json.Out.find("\"new_value\":\"750\",\"result\":\"refused\",\"source\":\"kelvoctl\"}"),
        std::string::npos)
        << json.Out;
    EXPECT_NE(json.Out.find("\"time\":\"2026-12-07T09:00:00.000Z\""), std::string::npos);
    EXPECT_EQ(json.Out.find("300000"), std::string::npos);
    EXPECT_EQ(json.Out.substr(json.Out.size() - 4), "}\n]\n") << "one array, complete";
}

TEST_F(KelvoctlJournal, SinceLeavesOutOlderEntries) {
    Fill();
    const TRun run = Journal({"--since", "2026-12-08 10:00", "--format", "csv"});
    EXPECT_EQ(run.Exit, ExitOk) << run.Err;
    EXPECT_EQ(Lines(run.Out), 3u) << run.Out;
    EXPECT_EQ(run.Out.find("2026-12-07"), std::string::npos) << run.Out;
    EXPECT_EQ(Journal({"--since", "2026-12-10", "--format", "json"}).Out, "[]\n");
}

TEST_F(KelvoctlJournal, NoJournalYetIsNoEntriesInEachFormat) {
    const TRun text = Journal({});
    EXPECT_EQ(text.Exit, ExitOk);
    EXPECT_EQ(text.Out, "");
    EXPECT_EQ(text.Err, "no entries in " + Path + "\n");
    EXPECT_EQ(Journal({"--format", "json"}).Out, "[]\n");
    const TRun csv = Journal({"--format", "csv"});
    EXPECT_EQ(Lines(csv.Out), 1u) << "the header alone";
    EXPECT_FALSE(std::filesystem::exists(Path)) << "reading creates no journal";
}

TEST_F(KelvoctlJournal, TheDefaultJournalIsTheUsersOne) {
    const char* old = std::getenv("XDG_DATA_HOME");
    const std::string saved = old ? old : "";
    ::setenv("XDG_DATA_HOME", Dir.c_str(), 1);
    Path = Dir + "/kelvo/journal.sqlite";
    Fill();
    const TRun run = Journal({"--format", "csv"}, false);
    if (old)
        ::setenv("XDG_DATA_HOME", saved.c_str(), 1);
    else
        ::unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(run.Exit, ExitOk) << run.Err;
    EXPECT_EQ(Lines(run.Out), 4u) << run.Out;
}

TEST_F(KelvoctlJournal, WrongArgumentsAndABrokenJournalAreRefused) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--format", "xml"},
                                                 {"--since", "last week"},
                                                 {"extra"},
                                                 {"--serial"}}) {
        const TRun run = Journal(args, false);
        EXPECT_EQ(run.Exit, ExitUsage) << args[0];
        EXPECT_EQ(run.Err.rfind("kelvoctl journal: ", 0), 0u) << run.Err;
        EXPECT_EQ(run.Out, "");
    }
    std::ofstream(Path) << std::string(2048, '#');
    const TRun broken = Journal({});
    EXPECT_EQ(broken.Exit, ExitFailure);
    EXPECT_NE(broken.Err.find(Path), std::string::npos) << broken.Err;
    EXPECT_NE(broken.Err.find("not a database"), std::string::npos) << broken.Err;
}

} // namespace
