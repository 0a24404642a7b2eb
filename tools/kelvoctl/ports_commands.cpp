// kelvoctl ports and scan: which serial devices the machine has, which COM
// number reaches each, and where a device answers.
#include "devicelink/kelvostream.h"
#include "devicelink/serialline.h"
#include "ports/serial_ports.h"
#include "tools/kelvoctl/commands.h"
#include "tools/kelvoctl/ctl_options.h"
#include "tools/kelvoctl/link_watch.h"
#include "tools/kelvoctl/online_session.h"

#include <algorithm>
#include <cstdlib>
#include <iostream>

namespace kelvo::ctl {

namespace {

// The highest COM number the connection options take.
constexpr int LastComPort = 255;

// Where the lists come from; tests point these at a tree of their own.
TPortsRoot Root() {
    TPortsRoot root;
    if (const char* dev = std::getenv("KELVOCTL_DEV_ROOT"); dev && *dev)
        root.Dev = dev;
    if (const char* sys = std::getenv("KELVOCTL_SYS_ROOT"); sys && *sys)
        root.Sys = sys;
    return root;
}

// COM numbers as --port maps them (the device link's port names).
std::map<int, std::string> ComMapping() {
    std::map<int, std::string> com;
    for (int n = 1; n <= LastComPort; ++n)
        com[n] = PortDeviceName(n);
    return com;
}

std::string ComText(const std::vector<int>& numbers) {
    if (numbers.empty())
        return "-";
    std::string text;
    for (const int n : numbers)
        text += (text.empty() ? "COM" : ",COM") + std::to_string(n);
    return text;
}

void PortsHelp(std::ostream& out) {
    out << "Usage: kelvoctl ports [--ini FILE]\n"
           "\n"
           "Lists the serial devices of this machine: the names under\n"
           "/dev/serial/by-id with the device each leads to, ttyUSB* (USB serial\n"
           "adapters), ttyACM* (USB modems) and the ttyS* ports behind which the\n"
           "kernel reports a UART. The first column tells the COM number that reaches\n"
           "the device with --port, \"-\" when none does.\n"
           "\n"
           "  --ini FILE   the INI file whose [Ports] section maps COM numbers to devices\n"
           "               (default: kelvow32.ini beside kelvoctl)\n"
           "\n"
           "Exit status: 0 listed (also when there are none), 64 usage.\n";
}

int RunPorts(const std::vector<std::string>& args) {
    const TParsedArgs parsed = ParseArgs(args, {"--ini"}, {"--help", "-h"});
    if (parsed.Has("--help") || parsed.Has("-h")) {
        PortsHelp(std::cout);
        return ExitOk;
    }
    if (!parsed.Error.empty() || !parsed.Positional.empty())
        return UsageError("ports", PortsHelp,
                          parsed.Error.empty() ? "no arguments expected" : parsed.Error);
    if (parsed.HasValue("--ini") && parsed.Value("--ini").empty())
        return UsageError("ports", PortsHelp, "--ini needs a file name");
    InstallPortMapping(parsed.Value("--ini"));
    const std::vector<TSerialPort> ports = ListSerialPorts(Root(), ComMapping());
    if (ports.empty()) {
        std::cerr << "no serial devices found\n";
        return ExitOk;
    }
    std::size_t comWidth = 3;
    std::size_t pathWidth = 4;
    for (const TSerialPort& p : ports) {
        comWidth = std::max(comWidth, ComText(p.Com).size());
        pathWidth = std::max(pathWidth, p.Path.size());
    }
    const auto pad = [](const std::string& text, std::size_t width) {
        return text + std::string(width - std::min(width, text.size()) + 2, ' ');
    };
    std::cout << pad("COM", comWidth) << pad("KIND", 5) << pad("PATH", pathWidth) << "DEVICE\n";
    for (const TSerialPort& p : ports)
        std::cout << pad(ComText(p.Com), comWidth) << pad(KindName(p.Kind), 5)
                  << pad(p.Path, pathWidth) << p.Target << "\n";
    std::cout.flush();
    return std::cout ? ExitOk : ExitFailure;
}

void ScanHelp(std::ostream& out) {
    out << "Usage: kelvoctl scan [--ini FILE]\n"
           "\n"
           "Tries each device \"kelvoctl ports\" lists, once, at 115200 baud and says\n"
           "for each whether a Kelvo device answers there, nothing answers, or why\n"
           "the device cannot be opened. Nothing is read from or written into a\n"
           "device beyond the greeting.\n"
           "\n"
           "  --ini FILE   the INI file whose [Ports] section maps COM numbers to devices\n"
           "               (default: kelvow32.ini beside kelvoctl)\n"
           "\n"
           "Exit status: 0 a device answered somewhere, 1 none answered, 64 usage.\n";
}

int RunScan(const std::vector<std::string>& args) {
    const TParsedArgs parsed = ParseArgs(args, {"--ini"}, {"--help", "-h"});
    if (parsed.Has("--help") || parsed.Has("-h")) {
        ScanHelp(std::cout);
        return ExitOk;
    }
    if (!parsed.Error.empty() || !parsed.Positional.empty())
        return UsageError("scan", ScanHelp,
                          parsed.Error.empty() ? "no arguments expected" : parsed.Error);
    if (parsed.HasValue("--ini") && parsed.Value("--ini").empty())
        return UsageError("scan", ScanHelp, "--ini needs a file name");
    InstallPortMapping(parsed.Value("--ini"));
    const std::vector<TSerialPort> ports = ListSerialPorts(Root(), ComMapping());
    int answered = 0;
    for (const std::string& path : DevicesToTry(ports)) {
        TLinkWatch watch(path);
        TKelvoStream stream(1, 115200, watch.Opener());
        std::cout << path << ": ";
        if (!stream.Open(1, 115200)) {
            std::cout << "cannot open: "
                      << (watch.OpenFailure().empty() ? "it could not be opened"
                                                      : watch.OpenFailure())
                      << "\n";
            continue;
        }
        if (stream.BeginConversation() == 0) {
            ++answered;
            std::cout << "a device answers\n";
            stream.EndConversation();
        } else {
            std::cout << "no answer\n";
        }
        stream.Close();
    }
    if (ports.empty())
        std::cerr << "no serial devices found\n";
    std::cout.flush();
    return answered > 0 ? ExitOk : ExitFailure;
}

} // namespace

const TCommand& PortsCommand() {
    static const TCommand c{"ports", "list the serial devices and their COM numbers", PortsHelp,
                            RunPorts};
    return c;
}
const TCommand& ScanCommand() {
    static const TCommand c{"scan", "find the serial devices a Kelvo device answers on", ScanHelp,
                            RunScan};
    return c;
}

} // namespace kelvo::ctl
