// kelvoctl's online commands end to end: the program against kelvo-sim on a
// pseudo-terminal, as a user would run them.
#include "kelvoctl/kelvoctl_fixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {

using kelvo::test::KelvoctlOnline;

bool Exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

TEST_F(KelvoctlOnline, DownloadSavesTheDialogThroughTheSafeWritePath) {
    const std::string file = Sim.Dir + "/device.dat";
    const std::string log = Sim.Dir + "/log.txt";
    auto run = Ctl("download", "-o '" + file + "' --log '" + log + "'");
    ASSERT_EQ(run.Exit, 0) << run.Err;
    EXPECT_NE(run.Err.find("Go Online: Download of KELVO dialog successful!"), std::string::npos);
    EXPECT_GT(Read(file).size(), 500u);
    EXPECT_FALSE(Read(log).empty());
    EXPECT_FALSE(Exists(Sim.Dir + "/device.~dat"));

    run = Ctl("download", "-o '" + file + "'");
    ASSERT_EQ(run.Exit, 0) << run.Err;
    EXPECT_TRUE(Exists(Sim.Dir + "/device.~dat")) << "the replaced file is kept";

    // The file shows as the device does.
    const auto fromDevice = Ctl("show", "");
    ASSERT_EQ(fromDevice.Exit, 0) << fromDevice.Err;
    EXPECT_NE(fromDevice.Out.find("Programmname"), std::string::npos);
    EXPECT_NE(fromDevice.Out.find("KT200 V2.14"), std::string::npos);
}

TEST_F(KelvoctlOnline, SetGetAndProgramRoundTrip) {
    const std::string saved = Sim.Dir + "/before.dat";
    ASSERT_EQ(Ctl("download", "-o '" + saved + "'").Exit, 0);

    // Every editable kind: Long, Double, Choice by text and by number, Text,
    // and a member of a repeated group.
    auto run = Ctl("set", "0x25=750 0x23=-12.5 0x14=Kelvin 0x22=2 0x12=TT-202 0x63:1=1");
    ASSERT_EQ(run.Exit, 0) << run.Err;
    EXPECT_EQ(run.Out, "0x0025 Filter time [ms] = 750\n"
                       "0x0023 Range start = -12.5\n"
                       "0x0014 Temperature unit = Kelvin\n"
                       "0x0022 Sensor type = Thermocouple K\n"
                       "0x0012 Device tag = TT-202\n"
                       "0x0063:1 Source = Channel 2\n");
    run = Ctl("get", "37 0x63:1 0x63:0");
    ASSERT_EQ(run.Exit, 0) << run.Err;
    EXPECT_EQ(run.Out, "0x0025 Filter time [ms] = 750\n0x0063:1 Source = Channel 2\n"
                       "0x0063:0 Source = Channel 1\n");

    // The saved file differs now; declining keeps the device as it is.
    run = Ctl("program", "'" + saved + "' --answer no");
    EXPECT_EQ(run.Exit, 3) << run.Err;
    EXPECT_NE(run.Err.find("New values are different! Reprogram device?"), std::string::npos);
    run = Ctl("program", "'" + saved + "'");
    EXPECT_EQ(run.Exit, 3) << "Cancel is the default answer";
    EXPECT_NE(run.Err.find("Go Online: Restored old data."), std::string::npos);

    run = Ctl("program", "'" + saved + "' --answer yes");
    EXPECT_EQ(run.Exit, 0) << run.Err;
    EXPECT_NE(run.Err.find("Go Online: Reprogramming successful!"), std::string::npos);
    run = Ctl("get", "0x25 0x14 0x12");
    EXPECT_EQ(run.Out, "0x0025 Filter time [ms] = 500\n0x0014 Temperature unit = Celsius\n"
                       "0x0012 Device tag = TT-101\n");
    EXPECT_EQ(Ctl("program", "'" + saved + "'").Exit, 0) << "equal values need nothing";
}

// A count written first makes room for the line of its new instance.
TEST_F(KelvoctlOnline, SetACountThenALineOfTheInstanceItAdds) {
    auto run = Ctl("set", "0x60=3 0x62:2=55");
    ASSERT_EQ(run.Exit, 0) << run.Err;
    EXPECT_EQ(run.Out, "0x0060 Alarm limits = 3\n0x0062:2 Setpoint = 55\n");
    run = Ctl("get", "0x62:2 0x62:1");
    EXPECT_EQ(run.Exit, 0) << run.Err;
    EXPECT_EQ(run.Out, "0x0062:2 Setpoint = 55\n0x0062:1 Setpoint = 80\n");
}

TEST_F(KelvoctlOnline, ProgramChecksEveryInstanceOfARepeatedGroup) {
    // A file that differs from the device only in the second instance of the
    // alarm group: the go-online comparison sees the first instance alone.
    const std::string file = Sim.Dir + "/second-instance.dat";
    ASSERT_EQ(Ctl("set", "0x63:1=1").Exit, 0);
    ASSERT_EQ(Ctl("download", "-o '" + file + "'").Exit, 0);
    ASSERT_EQ(Ctl("set", "0x63:1=0").Exit, 0);
    ASSERT_EQ(Ctl("get", "0x63:1").Out, "0x0063:1 Source = Channel 1\n");

    for (const char* declined : {"cancel", "no"}) {
        const auto run = Ctl("program", "'" + file + "' --answer " + declined);
        EXPECT_EQ(run.Exit, 3) << declined << ": " << run.Err;
        EXPECT_NE(run.Err.find("Program KELVO Device: The device holds other values than the "
                               "file in 1 line."),
                  std::string::npos)
            << run.Err;
        EXPECT_EQ(Ctl("get", "0x63:1").Out, "0x0063:1 Source = Channel 1\n") << declined;
    }

    auto run = Ctl("program", "'" + file + "' --answer yes");
    EXPECT_EQ(run.Exit, 0) << run.Err;
    EXPECT_EQ(Ctl("get", "0x63:1 0x63:0").Out,
              "0x0063:1 Source = Channel 2\n0x0063:0 Source = Channel 1\n");
    // The device stored the value: reloading its stored values keeps it.
    ASSERT_EQ(Ctl("reset-device", "").Exit, 0);
    EXPECT_EQ(Ctl("get", "0x63:1").Out, "0x0063:1 Source = Channel 2\n");

    run = Ctl("program", "'" + file + "' --answer cancel");
    EXPECT_EQ(run.Exit, 0) << "the device holds every value now: " << run.Err;
    EXPECT_EQ(run.Err.find("holds other values"), std::string::npos);
}

TEST_F(KelvoctlOnline, DeviceRequestsAndFailures) {
    ASSERT_EQ(Ctl("set", "0x25=640 --program").Exit, 0);
    ASSERT_EQ(Ctl("set", "0x25=320").Exit, 0);
    auto run = Ctl("reset-device", "");
    EXPECT_EQ(run.Exit, 0);
    EXPECT_NE(run.Err.find("Reset KELVO Device: Success!"), std::string::npos);
    EXPECT_EQ(Ctl("get", "0x25").Out, "0x0025 Filter time [ms] = 640\n");
    run = Ctl("program-device", "");
    EXPECT_EQ(run.Exit, 0);
    EXPECT_NE(run.Err.find("Program KELVO Device: Success!"), std::string::npos);

    run = Ctl("set", "0x25=1 0x21=5");
    EXPECT_EQ(run.Exit, 2);
    EXPECT_NE(run.Err.find("line 0x21"), std::string::npos);
    EXPECT_EQ(Ctl("get", "0x25 0x99").Exit, 2);
    EXPECT_EQ(Ctl("set", "0x14=Rankine").Exit, 2);
    // A value the line cannot take is refused, not written back unchanged.
    for (const char* bad : {"0x25=fast", "0x23=low"}) {
        run = Ctl("set", bad);
        EXPECT_EQ(run.Exit, 2) << bad;
        EXPECT_NE(run.Err.find(std::string("line ") + std::string(bad).substr(0, 4)),
                  std::string::npos)
            << run.Err;
        EXPECT_EQ(run.Out, "") << bad;
    }

    EXPECT_EQ(Ctl("get", "zz").Exit, 64);
    EXPECT_EQ(Ctl("download", "").Exit, 64) << "-o is required";
    EXPECT_EQ(Ctl("program", "x.dat --answer maybe").Exit, 64);
    EXPECT_EQ(Ctl("get", "0x25 --baud 9600").Exit, 64);
    EXPECT_EQ(Ctl("get", "0x25 --port 3").Exit, 64) << "a device and a port";
}

TEST_F(KelvoctlOnline, MissingDeviceFailsTheGoOnline) {
    const std::string line =
        std::string(KELVOCTL_PATH) + " get --device /nonexistent/tty 0x25 2>/dev/null >/dev/null";
    const int status = std::system(line.c_str());
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 2);
}

} // namespace
