// The port list from a /dev and /sys of the test's making, the devices being
// pseudo-terminals.
#include "ports/serial_ports.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <stdlib.h>
#include <unistd.h>

using namespace kelvo;
namespace fs = std::filesystem;

namespace {

class SerialPortsTest : public ::testing::Test {
protected:
    void SetUp() override {
        char dir[] = "/tmp/kelvo-ports-test-XXXXXX";
        ASSERT_NE(::mkdtemp(dir), nullptr);
        Dir = dir;
        Root.Dev = Dir + "/dev";
        Root.Sys = Dir + "/sys";
        fs::create_directories(Root.Dev + "/serial/by-id");
        Master = ::posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_GE(Master, 0);
        ASSERT_EQ(::grantpt(Master), 0);
        ASSERT_EQ(::unlockpt(Master), 0);
        Pty = ::ptsname(Master);
    }
    void TearDown() override {
        if (Master >= 0)
            ::close(Master);
        std::error_code ignored;
        fs::remove_all(Dir, ignored);
    }
    void Link(const std::string& name, const std::string& target) {
        fs::create_symlink(target, Root.Dev + "/" + name);
    }
    // A ttyS port as the kernel shows it: with a device and a UART type, or not.
    void SerialPort(const std::string& name, const char* type, bool device = true) {
        Link(name, Pty);
        const std::string tty = Root.Sys + "/class/tty/" + name;
        fs::create_directories(tty);
        if (device)
            fs::create_directories(tty + "/device");
        if (type)
            std::ofstream(tty + "/type") << type << "\n";
    }

    std::string Dir;
    TPortsRoot Root;
    int Master = -1;
    std::string Pty;
};

} // namespace

TEST_F(SerialPortsTest, ByIdNamesUsbAcmAndRealUartsAreListedWithTheirComNumbers) {
    Link("ttyUSB0", Pty);
    Link("ttyACM1", Pty);
    Link("ttyUSB10", Pty);
    Link("ttyUSB2", Pty);
    Link("serial/by-id/usb-FTDI_FT232R_A1B2-if00-port0", "../../ttyUSB0");
    SerialPort("ttyS0", "4");
    SerialPort("ttyS1", "0");        // no UART found behind it
    SerialPort("ttyS2", "4", false); // no device behind it
    SerialPort("ttyS3", nullptr);    // neither type nor port: unknown
    Link("tty0", Pty);               // a console, not a serial device
    Link("ttyprintk", Pty);

    const std::string byId = Root.Dev + "/serial/by-id/usb-FTDI_FT232R_A1B2-if00-port0";
    const std::vector<TSerialPort> ports = ListSerialPorts(
        Root,
        {{1, Root.Dev + "/ttyS0"}, {3, byId}, {4, Root.Dev + "/ttyUSB0"}, {5, "/dev/ttyUSB9"}});
    std::vector<std::string> shown;
    for (const TSerialPort& p : ports)
        shown.push_back(std::string(KindName(p.Kind)) + " " + p.Path.substr(Root.Dev.size()) + " " +
                        p.Target.substr(Root.Dev.size()));
    EXPECT_EQ(shown, (std::vector<std::string>{
                         "by-id /serial/by-id/usb-FTDI_FT232R_A1B2-if00-port0 /ttyUSB0",
                         "acm /ttyACM1 /ttyACM1", "uart /ttyS0 /ttyS0", "usb /ttyUSB0 /ttyUSB0",
                         "usb /ttyUSB2 /ttyUSB2", "usb /ttyUSB10 /ttyUSB10"}));
    // The by-id name is reached by the COM port mapped to it and by the one
    // mapped to the device it leads to.
    EXPECT_EQ(ports[0].Com, (std::vector<int>{3, 4}));
    EXPECT_EQ(ports[2].Com, (std::vector<int>{1}));
    EXPECT_EQ(ports[3].Com, (std::vector<int>{4}));
    EXPECT_TRUE(ports[4].Com.empty());

    // Each device is tried once, whatever names lead to it.
    const std::vector<std::string> tried = DevicesToTry(ports);
    EXPECT_EQ(tried.size(), 5u);
    EXPECT_EQ(tried[0], Root.Dev + "/ttyUSB0");
}

TEST_F(SerialPortsTest, AMissingTreeGivesNoPorts) {
    TPortsRoot nowhere{Dir + "/none", Dir + "/none"};
    EXPECT_TRUE(ListSerialPorts(nowhere).empty());
    // /dev without /dev/serial/by-id (no USB device plugged in) still lists the rest.
    fs::remove(Root.Dev + "/serial/by-id");
    Link("ttyACM0", Pty);
    EXPECT_EQ(ListSerialPorts(Root).size(), 1u);
}
