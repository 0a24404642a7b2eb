// kelvoctl program --record: one JSON line per device and run.
#include "kelvoctl/kelvoctl_fixture.h"
#include "report/sha256.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class KelvoctlRecord : public kelvo::test::KelvoctlOnline {
protected:
    void SetUp() override {
        KelvoctlOnline::SetUp();
        ::setenv("XDG_DATA_HOME", Sim.Path("data").c_str(), 1);
    }
    std::vector<std::string> Lines(const std::string& path) const {
        std::ifstream in(path);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }
};

TEST_F(KelvoctlRecord, EachRunAppendsItsFields) {
    const std::string file = Sim.Path("saved.dat");
    const std::string record = Sim.Path("record.jsonl");
    ASSERT_EQ(Ctl("download", "-o '" + file + "'").Exit, 0);
    ASSERT_EQ(Ctl("set", "0x25=42").Exit, 0);

    auto run = Ctl("program", "'" + file + "' --answer yes --record '" + record + "'");
    ASSERT_EQ(run.Exit, 0) << run.Err;
    auto lines = Lines(record);
    ASSERT_EQ(lines.size(), 1u);
    const std::string first = lines[0];
    EXPECT_EQ(first.rfind("{\"time\":\"20", 0), 0u) << first;
    std::vector<std::string> fields = {"\"program_name\":\"KT200 V2.14\"",
                                       "\"serial_number\":\"204117\"",
                                       "\"verdict\":\"written\"",
                                       "\"read_back\":\"equal\"",
                                       "\"differing\":0",
                                       "\"program\":\"success\"",
                                       "\"device\":\"programmed\"",
                                       "\"exit\":0}"};
    fields.push_back("\"port\":\"" + Sim.Link + "\"");
    fields.push_back("\"file\":\"" + file + "\"");
    fields.push_back("\"sha256\":\"" + kelvo::Sha256OfFile(file) + "\"");
    for (const std::string& field : fields)
        EXPECT_TRUE(Contains(first, field)) << field << "\n" << first;
    EXPECT_FALSE(Contains(first, "\"lines_written\":0,")) << first;

    // A second run appends; with nothing to write it says so.
    run = Ctl("program", "'" + file + "' --answer no --record '" + record + "'");
    ASSERT_EQ(run.Exit, 0) << run.Err;
    lines = Lines(record);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], first);
    for (const char* field : {"\"verdict\":\"equal\"", "\"lines_written\":0,",
                              "\"program\":\"not-run\"", "\"device\":\"unchanged\"", "\"exit\":0}"})
        EXPECT_TRUE(Contains(lines[1], field)) << field << "\n" << lines[1];
}

TEST_F(KelvoctlRecord, ARecordThatCannotBeWrittenStopsTheJobFirst) {
    const std::string file = Sim.Path("saved.dat");
    ASSERT_EQ(Ctl("download", "-o '" + file + "'").Exit, 0);
    ASSERT_EQ(Ctl("set", "0x25=42").Exit, 0);
    auto run = Ctl("program", "'" + file + "' --answer yes --record /nonexistent/dir/rec.jsonl");
    EXPECT_EQ(run.Exit, 1);
    EXPECT_TRUE(Contains(run.Err, "cannot write the record to /nonexistent/dir/rec.jsonl"))
        << run.Err;
    EXPECT_FALSE(Contains(run.Err, "Go Online")) << run.Err;
    EXPECT_EQ(Ctl("get", "0x25").Out, "0x0025 Filter time [ms] = 42\n");

    run = Ctl("program", "'" + file + "' --answer yes --record '" + Sim.Dir + "'");
    EXPECT_EQ(run.Exit, 1) << run.Err;
}

TEST_F(KelvoctlRecord, AFailedRunIsRecordedWithItsExitStatus) {
    const std::string record = Sim.Path("record.jsonl");
    const auto run = CtlAt("--device /nonexistent/tty", "program",
                           "'" KELVO_DEMO_DIALOG_FILE "' --answer yes --record '" + record + "'");
    EXPECT_EQ(run.Exit, 2) << run.Err;
    const auto lines = Lines(record);
    ASSERT_EQ(lines.size(), 1u);
    for (const char* field :
         {"\"port\":\"/nonexistent/tty\"", "\"program_name\":null", "\"verdict\":\"port-missing\"",
          "\"program\":\"not-run\"", "\"device\":\"unchanged\"", "\"exit\":2}"})
        EXPECT_TRUE(Contains(lines[0], field)) << field << "\n" << lines[0];
}

} // namespace
