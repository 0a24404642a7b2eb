// kelvoctl diff, the snapshots before writes and export, against kelvo-sim.
#include "kelvoctl/kelvoctl_fixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Each test keeps its snapshots in its own folder.
class KelvoctlSnapshots : public kelvo::test::KelvoctlOnline {
protected:
    void SetUp() override {
        KelvoctlOnline::SetUp();
        ::setenv("XDG_DATA_HOME", Sim.Path("data").c_str(), 1);
    }
    std::string Folder() const { return Sim.Path("data/kelvo/snapshots"); }
    std::vector<std::string> Snapshots() const {
        std::vector<std::string> files;
        std::error_code ignored;
        for (fs::directory_iterator it(Folder(), ignored), end; !ignored && it != end;
             it.increment(ignored))
            files.push_back(it->path().string());
        return files;
    }
    // kelvoctl with no device options.
    TRun Local(const std::string& command, const std::string& args) const {
        return CtlAt("", command, args);
    }
    // Makes snapshots impossible: their folder's parent is a file.
    void BlockSnapshots() {
        std::ofstream(Sim.Path("blocked")) << "a file";
        ::setenv("XDG_DATA_HOME", Sim.Path("blocked").c_str(), 1);
    }
};

TEST_F(KelvoctlSnapshots, DiffTellsEqualFromDifferentInTextAndJson) {
    const std::string file = Sim.Path("saved.dat");
    ASSERT_EQ(Ctl("download", "-o '" + file + "'").Exit, 0);
    // The measured values and the operating hours move by themselves: read-only,
    // they are shown but the device still holds the file.
    auto run = Ctl("diff", "'" + file + "'");
    EXPECT_EQ(run.Exit, 0) << run.Out << run.Err;
    EXPECT_TRUE(Contains(run.Out, "the device holds the file's programmable values") ||
                Contains(run.Out, "The device holds the file's values."))
        << run.Out;
    EXPECT_FALSE(Contains(run.Out, "Value\n")) << run.Out;

    ASSERT_EQ(Ctl("set", "0x25=42 0x62:1=55").Exit, 0);
    run = Ctl("diff", "'" + file + "'");
    EXPECT_EQ(run.Exit, 1) << run.Err;
    EXPECT_TRUE(Contains(run.Out, "KEY")) << run.Out;
    EXPECT_TRUE(Contains(run.Out, "0x0062:1")) << run.Out;
    EXPECT_TRUE(
        Contains(run.Out, "0x0025    Filter time [ms]  500          42             Value\n"))
        << run.Out;

    run = Ctl("diff", "'" + file + "' --format json");
    EXPECT_EQ(run.Exit, 1) << run.Err;
    EXPECT_TRUE(Contains(run.Out, "{\"equal\":false,\"all_equal\":false,\"converted\":false,"
                                  "\"incompatible\":false,\"rows\":["))
        << run.Out;
    EXPECT_TRUE(Contains(run.Out, "{\"key\":\"0x0025\",\"address\":37,\"instance\":0,"
                                  "\"caption\":\"Filter time [ms]\",\"file\":\"500\","
                                  "\"device\":\"42\",\"reason\":\"value\",\"programmable\":true}"))
        << run.Out;
    // diff only reads: the device still differs, and no snapshot came of it.
    const std::size_t snapshots = Snapshots().size();
    EXPECT_EQ(Ctl("diff", "'" + file + "'").Exit, 1);
    EXPECT_EQ(Snapshots().size(), snapshots);

    EXPECT_EQ(Ctl("diff", "'" + Sim.Path("none.dat") + "'").Exit, 2);
    EXPECT_EQ(Ctl("diff", "'" + file + "' --format xml").Exit, 64);
}

TEST_F(KelvoctlSnapshots, SetSavesTheDeviceBeforeItsFirstWrite) {
    auto run = Ctl("set", "0x25=42");
    ASSERT_EQ(run.Exit, 0) << run.Err;
    const auto files = Snapshots();
    ASSERT_EQ(files.size(), 1u) << run.Err;
    EXPECT_TRUE(Contains(files[0], "KT200_V2.14.dat")) << files[0];
    EXPECT_TRUE(Contains(run.Err, "snapshot of the device's values saved to " + files[0]))
        << run.Err;
    // The snapshot holds the value from before the write, instances included.
    run = Local("show", "'" + files[0] + "' --keys");
    ASSERT_EQ(run.Exit, 0) << run.Err;
    EXPECT_TRUE(Contains(run.Out, "0x0025")) << run.Out;
    EXPECT_TRUE(Contains(run.Out, "0x0062:1")) << run.Out;
    EXPECT_TRUE(Contains(run.Out.substr(run.Out.find("0x0025")), "500")) << run.Out;

    run = Local("snapshots", "");
    EXPECT_EQ(run.Exit, 0);
    EXPECT_TRUE(Contains(run.Out, files[0])) << run.Out;
    EXPECT_TRUE(Contains(run.Out, " UTC  ")) << run.Out;
}

TEST_F(KelvoctlSnapshots, ProgramSavesTheDeviceBeforeTheDialogueWrites) {
    const std::string file = Sim.Path("saved.dat");
    ASSERT_EQ(Ctl("download", "-o '" + file + "'").Exit, 0);
    ASSERT_EQ(Ctl("set", "0x25=42").Exit, 0);
    ASSERT_EQ(Snapshots().size(), 1u);

    // Nothing written, no snapshot.
    auto run = Ctl("program", "'" + file + "' --answer no");
    EXPECT_EQ(run.Exit, 3) << run.Err;
    EXPECT_EQ(Snapshots().size(), 1u);

    run = Ctl("program", "'" + file + "' --answer yes");
    ASSERT_EQ(run.Exit, 0) << run.Err;
    EXPECT_TRUE(Contains(run.Err, "device programmed with")) << run.Err;
    const auto files = Snapshots();
    ASSERT_EQ(files.size(), 2u);
    // The newer snapshot holds 42, the value the program run replaced.
    const std::string newest = std::max(files[0], files[1]);
    EXPECT_TRUE(Contains(run.Err, newest)) << run.Err;
    const auto shown = Local("show", "'" + newest + "' --keys");
    EXPECT_TRUE(Contains(shown.Out.substr(shown.Out.find("0x0025")), "42")) << shown.Out;
    EXPECT_EQ(Ctl("get", "0x25").Out, "0x0025 Filter time [ms] = 500\n");
}

TEST_F(KelvoctlSnapshots, ProgramSavesTheDeviceBeforeWritingAnInstance) {
    const std::string file = Sim.Path("saved.dat");
    ASSERT_EQ(Ctl("download", "-o '" + file + "'").Exit, 0);
    // Only the second alarm differs: the dialogue finds the values equal and
    // the instance is written afterwards.
    ASSERT_EQ(Ctl("set", "0x62:1=55").Exit, 0);
    ASSERT_EQ(Snapshots().size(), 1u);
    const auto run = Ctl("program", "'" + file + "' --answer yes");
    ASSERT_EQ(run.Exit, 0) << run.Err;
    EXPECT_TRUE(Contains(run.Err, "All programmable values are equal")) << run.Err;
    EXPECT_EQ(Snapshots().size(), 2u) << run.Err;
    EXPECT_EQ(Ctl("get", "0x62:1").Out, "0x0062:1 Setpoint = 80\n");
}

TEST_F(KelvoctlSnapshots, WithoutASnapshotNothingIsWritten) {
    const std::string file = Sim.Path("saved.dat");
    ASSERT_EQ(Ctl("download", "-o '" + file + "'").Exit, 0);
    ASSERT_EQ(Ctl("set", "0x25=42").Exit, 0);
    BlockSnapshots();

    auto run = Ctl("set", "0x25=7");
    EXPECT_EQ(run.Exit, 2);
    EXPECT_TRUE(Contains(run.Err, "kelvoctl set: no snapshot of the device's values: cannot "
                                  "create the folder"))
        << run.Err;
    EXPECT_TRUE(Contains(run.Err, "nothing was written")) << run.Err;

    run = Ctl("program", "'" + file + "' --answer yes");
    EXPECT_EQ(run.Exit, 2);
    EXPECT_TRUE(Contains(run.Err, "kelvoctl program: no snapshot")) << run.Err;
    EXPECT_TRUE(Contains(run.Err, "device unchanged")) << run.Err;
    EXPECT_EQ(Ctl("get", "0x25").Out, "0x0025 Filter time [ms] = 42\n");
}

TEST_F(KelvoctlSnapshots, ExportFromTheDeviceListsBothAlarmInstances) {
    ASSERT_EQ(Ctl("set", "0x62:1=55").Exit, 0);
    auto run = Ctl("export", "--format csv");
    ASSERT_EQ(run.Exit, 0) << run.Err;
    EXPECT_TRUE(Contains(run.Out, "address,instance,caption,caption_untranslated,value,kind,"
                                  "flags,layout\r\n"))
        << run.Out;
    EXPECT_TRUE(Contains(run.Out, "0x0062,0,Setpoint,Setpoint,80,double,")) << run.Out;
    EXPECT_TRUE(Contains(run.Out, "0x0062,1,Setpoint,Setpoint,55,double,")) << run.Out;

    run = Local("export",
                "'" KELVO_DEMO_DIALOG_FILE "' --format json -o '" + Sim.Path("out.json") + "'");
    ASSERT_EQ(run.Exit, 0) << run.Err;
    std::ifstream in(Sim.Path("out.json"));
    const std::string json{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(json.front(), '[');
    EXPECT_TRUE(Contains(json, "\"address\":\"0x0062\",\"instance\":1")) << json;
    EXPECT_EQ(Local("export", "'" KELVO_DEMO_DIALOG_FILE "' --format xml").Exit, 64);

    // A report that cannot be written is named, and what stands there stays.
    std::filesystem::create_directory(Sim.Path("out.csv"));
    run = Local("export", "'" KELVO_DEMO_DIALOG_FILE "' -o '" + Sim.Path("out.csv") + "'");
    EXPECT_EQ(run.Exit, 1) << run.Err;
    EXPECT_TRUE(Contains(run.Err, Sim.Path("out.csv"))) << run.Err;
    EXPECT_TRUE(std::filesystem::is_empty(Sim.Path("out.csv")));
    run = Local("export", "'" KELVO_DEMO_DIALOG_FILE "' -o '" + Sim.Path("gone/out.csv") + "'");
    EXPECT_EQ(run.Exit, 1) << run.Err;
    EXPECT_TRUE(Contains(run.Err, "cannot write")) << run.Err;
    EXPECT_FALSE(std::filesystem::exists(Sim.Path("gone")));
}

} // namespace
