// kelvoctl ports and scan over a /dev of the test's making: kelvo-sim behind
// one name, a silent pseudo-terminal behind another, nothing behind a third.
#include "kelvoctl/kelvoctl_fixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <stdlib.h>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class KelvoctlPorts : public kelvo::test::KelvoctlOnline {
protected:
    void SetUp() override {
        KelvoctlOnline::SetUp();
        Dev = Sim.Path("dev");
        fs::create_directories(Dev + "/serial/by-id");
        Silent = ::posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_GE(Silent, 0);
        ASSERT_EQ(::grantpt(Silent), 0);
        ASSERT_EQ(::unlockpt(Silent), 0);
        fs::create_symlink(Sim.Link, Dev + "/ttyUSB0");
        fs::create_symlink("../../ttyUSB0", Dev + "/serial/by-id/usb-Kelvo_KT200_0042-if00");
        fs::create_symlink(::ptsname(Silent), Dev + "/ttyACM0");
        fs::create_symlink(Sim.Path("gone"), Dev + "/ttyUSB1");
        ::setenv("KELVOCTL_DEV_ROOT", Dev.c_str(), 1);
        ::setenv("KELVOCTL_SYS_ROOT", Sim.Path("sys").c_str(), 1);
    }
    void TearDown() override {
        if (Silent >= 0)
            ::close(Silent);
    }
    std::string Dev;
    int Silent = -1;
};

TEST_F(KelvoctlPorts, PortsListsEveryNameAndScanFindsTheDevice) {
    auto run = CtlAt("", "ports", "");
    ASSERT_EQ(run.Exit, 0) << run.Err;
    EXPECT_TRUE(Contains(run.Out, "by-id  " + Dev + "/serial/by-id/usb-Kelvo_KT200_0042-if00  " +
                                      Dev + "/ttyUSB0\n"))
        << run.Out;
    for (const char* name : {"/ttyUSB0", "/ttyUSB1", "/ttyACM0"})
        EXPECT_TRUE(Contains(run.Out, Dev + name)) << run.Out;

    run = CtlAt("", "scan", "");
    EXPECT_EQ(run.Exit, 0) << run.Out << run.Err;
    EXPECT_TRUE(Contains(run.Out, Dev + "/ttyUSB0: a device answers\n")) << run.Out;
    EXPECT_TRUE(Contains(run.Out, Dev + "/ttyACM0: no answer\n")) << run.Out;
    EXPECT_TRUE(Contains(run.Out, Dev + "/ttyUSB1: cannot open: ")) << run.Out;
    // The by-id name leads to ttyUSB0, which is tried once.
    EXPECT_EQ(run.Out.find("ttyUSB0: "), run.Out.rfind("ttyUSB0: ")) << run.Out;
    // The device is left ready for the next command.
    EXPECT_EQ(Ctl("get", "0x25").Out, "0x0025 Filter time [ms] = 500\n");
}

TEST_F(KelvoctlPorts, ScanWithoutAnswerExitsWithOne) {
    fs::remove(Dev + "/ttyUSB0");
    const auto run = CtlAt("", "scan", "");
    EXPECT_EQ(run.Exit, 1) << run.Out << run.Err;
    EXPECT_TRUE(Contains(run.Out, "no answer")) << run.Out;
}

} // namespace
