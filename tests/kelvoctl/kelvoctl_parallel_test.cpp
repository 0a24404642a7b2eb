// kelvoctl program on four kelvo-sim devices at once, one of which stops
// answering half-way.
#include "journal/change_journal.h"
#include "kelvoctl/kelvoctl_fixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class KelvoctlParallel : public kelvo::test::KelvoctlOnline {
protected:
    void SetUp() override {
        KelvoctlOnline::SetUp();
        ::setenv("XDG_DATA_HOME", Sim.Path("data").c_str(), 1);
        for (int i = 0; i < 3; ++i) {
            Others.push_back(std::make_unique<kelvo::test::TSimProcess>(KELVO_SIM_PATH));
            // The last one falls silent after the download.
            const std::vector<std::string> options =
                i == 2 ? std::vector<std::string>{"--silent-after", "60"}
                       : std::vector<std::string>{};
            ASSERT_TRUE(Others.back()->Start(options)) << Others.back()->ErrorOutput();
        }
    }
    // kelvoctl on one of the other devices.
    TRun On(int index, const std::string& command, const std::string& args) const {
        TRun run;
        for (int attempt = 0; attempt < 4; ++attempt) {
            run = CtlAt("--device '" + Others[index]->Link + "'", command, args);
            if (!LinkTimingFailure(run))
                break;
        }
        return run;
    }
    std::vector<std::unique_ptr<kelvo::test::TSimProcess>> Others;
};

TEST_F(KelvoctlParallel, FourDevicesAtOnceEachWithItsOwnResult) {
    const std::string file = Sim.Path("saved.dat");
    const std::string record = Sim.Path("record.jsonl");
    ASSERT_EQ(Ctl("download", "-o '" + file + "'").Exit, 0);
    ASSERT_EQ(Ctl("set", "0x25=42").Exit, 0);
    ASSERT_EQ(On(0, "set", "0x25=43").Exit, 0);
    ASSERT_EQ(On(1, "set", "0x62:1=55").Exit, 0);

    const std::string devices = "--device '" + Sim.Link + "' --device '" + Others[0]->Link +
                                "' --device '" + Others[1]->Link + "' --device='" +
                                Others[2]->Link + "'";
    const std::string args = devices + " '" + file + "' --answer yes --record '" + record +
                             "' --log '" + Sim.Path("log") + "'";
    // A heavily loaded machine may make a healthy link miss its time limits;
    // programming again is harmless, so the run is repeated then.
    TRun run;
    for (int attempt = 0; attempt < 4; ++attempt) {
        run = CtlAt("", "program", args);
        if (Contains(run.Out, "total: 4 devices, ") && Contains(run.Out, "1 not ok"))
            break;
    }
    EXPECT_EQ(run.Exit, 2) << run.Out << run.Err;
    // One summary line per device, in the order named, and the total.
    const std::vector<std::string> links = {Sim.Link, Others[0]->Link, Others[1]->Link,
                                            Others[2]->Link};
    std::size_t at = 0;
    for (std::size_t i = 0; i < 3; ++i) {
        const std::size_t found = run.Out.find(links[i] + ": ", at);
        ASSERT_NE(found, std::string::npos) << run.Out;
        const std::string line = run.Out.substr(found, run.Out.find('\n', found) + 1 - found);
        EXPECT_TRUE(line == links[i] + ": programmed, exit status 0\n" ||
                    line == links[i] + ": unchanged, exit status 0\n")
            << run.Out;
        at = found;
    }
    EXPECT_TRUE(Contains(run.Out, links[3] + ": unchanged, exit status 2\n")) << run.Out;
    EXPECT_TRUE(Contains(run.Out, "total: 4 devices, ")) << run.Out;
    EXPECT_TRUE(Contains(run.Out, " 1 not ok; exit status 2\n")) << run.Out;
    // Each device's messages are its own lines, behind its name.
    EXPECT_TRUE(Contains(run.Err, links[3] + ": kelvoctl: the device stopped answering"))
        << run.Err;
    EXPECT_TRUE(Contains(run.Err, links[0] + ": device programmed with ") ||
                Contains(run.Err, links[0] + ": device unchanged"))
        << run.Err;

    // The good devices hold the file; each had its own log and record line.
    EXPECT_EQ(Ctl("get", "0x25").Out, "0x0025 Filter time [ms] = 500\n");
    EXPECT_EQ(On(0, "get", "0x25").Out, "0x0025 Filter time [ms] = 500\n");
    EXPECT_EQ(On(1, "get", "0x62:1").Out, "0x0062:1 Setpoint = 80\n");
    for (const char* log : {"log.1", "log.2", "log.3", "log.4"})
        EXPECT_GT(std::filesystem::file_size(Sim.Path(log)), 0u) << log;
    // Every device's writes are in the one journal the four wrote at once.
    kelvo::TJournalStatus status;
    const std::vector<kelvo::TJournalEntry> journal = kelvo::ReadJournal({}, status);
    ASSERT_TRUE(status.Ok()) << status.Error;
    const auto wrote = [&journal](const std::string& port, std::uint16_t address,
                                  const std::string& value) {
        for (const kelvo::TJournalEntry& row : journal)
            if (row.Port == port && row.Address == address && row.NewValue == value)
                return true;
        return false;
    };
    EXPECT_TRUE(wrote(links[0], 0x0025, "500"));
    EXPECT_TRUE(wrote(links[1], 0x0025, "500"));
    EXPECT_TRUE(wrote(links[2], 0x0062, "80"));
    EXPECT_TRUE(wrote(links[0], 0x0025, "42")) << "the set before";
    std::ifstream in(record);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    ASSERT_GE(lines.size(), 4u);
    for (const std::string& link : links) {
        std::size_t count = 0;
        for (std::size_t i = lines.size() - 4; i < lines.size(); ++i)
            count += Contains(lines[i], "\"port\":\"" + link + "\"") ? 1 : 0;
        EXPECT_EQ(count, 1u) << link;
    }
}

TEST_F(KelvoctlParallel, APortRangeNamesEveryPortAndABadOneIsRefusedFirst) {
    auto run = CtlAt("", "program", "--port 1-300 '" + Sim.Path("x.dat") + "'");
    EXPECT_EQ(run.Exit, 64) << run.Err;
    // Every job is checked before any starts: a bad log path stops them all.
    run = CtlAt("", "program",
                "--device '" + Sim.Link + "' --device '" + Others[0]->Link + "' '" +
                    KELVO_DEMO_DIALOG_FILE + "' --log /nonexistent/dir/log");
    EXPECT_EQ(run.Exit, 1) << run.Err;
    EXPECT_TRUE(Contains(run.Err, "cannot write the log to /nonexistent/dir/log.1")) << run.Err;
    EXPECT_EQ(run.Out, "");
}

} // namespace
