#pragma once
// The serial devices of the machine, as a technician looks for the one a
// device hangs on: the stable names under /dev/serial/by-id with the device
// each leads to, USB serial adapters (ttyUSB*), USB modems (ttyACM*), and
// the built-in ports (ttyS*) only where the kernel reports a UART behind
// them; with the COM number the settings map to each. Plain C++ and POSIX.
#include <map>
#include <string>
#include <vector>

namespace kelvo {

// Where to look: the real system, or a copy of its shape for tests.
struct TPortsRoot {
    std::string Dev = "/dev";
    std::string Sys = "/sys";
};

struct TSerialPort {
    enum TKind { ById, Usb, Acm, Uart };
    TKind Kind = Usb;
    // The name to use ("/dev/serial/by-id/usb-FTDI_...", "/dev/ttyUSB0").
    std::string Path;
    // For a by-id name: the device it leads to; else Path again.
    std::string Target;
    // The COM numbers mapped to Path or to Target, ascending.
    std::vector<int> Com;
};

const char* KindName(TSerialPort::TKind kind);

// The ports found, by-id names first, then the devices by name (ttyS2 before
// ttyS10). com maps COM numbers to paths, as the settings' Ports section does.
std::vector<TSerialPort> ListSerialPorts(const TPortsRoot& root = {},
                                         const std::map<int, std::string>& com = {});

// The devices to try once each: the targets of the list, without repeats.
std::vector<std::string> DevicesToTry(const std::vector<TSerialPort>& ports);

} // namespace kelvo
