// kelvoctl behind a USB serial adapter's latency, with a device that goes
// away in the middle of a job, and with a device path that does not exist.
#include "kelvoctl/kelvoctl_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using kelvo::test::KelvoctlOnline;

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The common adapters' default latency timer, with the line paced as at 115200 baud.
class KelvoctlBehindAnAdapter : public KelvoctlOnline {
protected:
    std::vector<std::string> SimOptions() const override {
        return {"--pace", "--latency", "16", "--trace", Sim.Path("trace.txt")};
    }
    long TracedLines() const {
        std::ifstream in(Sim.Path("trace.txt"));
        return std::count(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>(),
                          '\n');
    }
};

TEST_F(KelvoctlBehindAnAdapter, DownloadsAndWritesOldDataBack) {
    const std::string file = Sim.Path("saved.dat");
    auto run = Ctl("download", "-o '" + file + "'");
    ASSERT_EQ(run.Exit, 0) << run.Err;
    ASSERT_EQ(Ctl("set", "0x25=42").Exit, 0);
    // The go-online dialogue finds the old data differ and writes them back.
    run = Ctl("program", "'" + file + "' --answer yes");
    ASSERT_EQ(run.Exit, 0) << run.Err;
    EXPECT_EQ(Ctl("get", "0x25").Out, "0x0025 Filter time [ms] = 500\n");
}

TEST_F(KelvoctlBehindAnAdapter, ADeviceThatGoesAwayIsNamedAndComesBack) {
    const std::string err = Sim.Path("gone.txt");
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        const std::string command = std::string(KELVOCTL_PATH) + " download --device '" + Sim.Link +
                                    "' -o '" + Sim.Path("never.dat") + "' 2>'" + err +
                                    "' >/dev/null";
        execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    // Pulled out in the middle of the download.
    for (int i = 0; i < 2000 && TracedLines() < 20; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_GE(TracedLines(), 20);
    EXPECT_EQ(Sim.Stop(), 0);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 2);
    const std::string said = Read(err);
    EXPECT_TRUE(Contains(said, "kelvoctl: " + Sim.Link + ": the device was disconnected")) << said;

    // Plugged in again under the same name.
    ASSERT_TRUE(Sim.Start(SimOptions())) << Sim.ErrorOutput();
    const auto run = Ctl("get", "0x25");
    EXPECT_EQ(run.Exit, 0) << run.Err;
}

TEST_F(KelvoctlOnline, ADevicePathIsNamedAsGiven) {
    const auto run = CtlAt("--device /no/such/path", "get", "0x0030");
    EXPECT_EQ(run.Exit, 2);
    EXPECT_TRUE(Contains(run.Err,
                         "Go Online: /no/such/path is missing or already in use! Going offline "
                         "again."))
        << run.Err;
    EXPECT_FALSE(Contains(run.Err, "COM1")) << run.Err;
}

} // namespace
