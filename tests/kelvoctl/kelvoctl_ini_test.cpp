// kelvoctl --port N finds its device through the INI file's [Ports] section,
// as the window program does.
#include "kelvoctl/kelvoctl_fixture.h"

#include <fstream>

namespace kelvo::test {
namespace {

class KelvoctlIniPorts : public KelvoctlOnline {};

TEST_F(KelvoctlIniPorts, APortNumberIsTheDevicePathTheIniFileMapsItTo) {
    const std::string ini = Sim.Path("kelvow32.ini");
    std::ofstream(ini) << "[Ports]\nCOM7=" << Sim.Link << "\n";
    const auto run = CtlAt("--port 7 --ini '" + ini + "'", "get", "0x25");
    ASSERT_EQ(run.Exit, 0) << run.Err;
    EXPECT_EQ(run.Out, "0x0025 Filter time [ms] = 500\n");

    const auto unmapped = CtlAt("--port 8 --ini '" + ini + "'", "get", "0x25");
    EXPECT_EQ(unmapped.Exit, 2);
    EXPECT_NE(unmapped.Err.find("/dev/ttyS7"), std::string::npos) << unmapped.Err;
}

TEST_F(KelvoctlIniPorts, PortsShowsTheComNumberTheIniFileGivesADevice) {
    const std::string ini = Sim.Path("kelvow32.ini");
    std::ofstream(ini) << "[Ports]\nCOM9=" << Sim.Link << "\n";
    const auto run = CtlAt("", "ports", "--ini '" + ini + "'");
    EXPECT_EQ(run.Exit, 0) << run.Err;
    EXPECT_EQ(CtlAt("", "ports", "--ini ''").Exit, 64);
}

} // namespace
} // namespace kelvo::test
