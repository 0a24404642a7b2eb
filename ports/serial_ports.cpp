#include "ports/serial_ports.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <set>

namespace kelvo {

namespace fs = std::filesystem;

namespace {

std::string ReadWord(const fs::path& file) {
    std::ifstream in(file);
    std::string word;
    in >> word;
    return word;
}

// The kernel lists every possible 8250 port as ttyS*; only those with a UART
// found behind them have a type other than 0 (unknown). The port address is
// looked at too: a port without an address and without a type is a ghost.
bool KernelReportsUart(const TPortsRoot& root, const std::string& name) {
    const fs::path tty = fs::path(root.Sys) / "class/tty" / name;
    std::error_code error;
    if (!fs::exists(tty / "device", error))
        return false;
    const std::string type = ReadWord(tty / "type");
    if (!type.empty())
        return type != "0";
    const std::string port = ReadWord(tty / "port");
    return !port.empty() && port != "0" && port != "0x0";
}

// "ttyS10" after "ttyS2": names compared with their numbers as numbers.
bool NaturalLess(const std::string& a, const std::string& b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (std::isdigit(static_cast<unsigned char>(a[i])) &&
            std::isdigit(static_cast<unsigned char>(b[j]))) {
            std::size_t ie = i;
            std::size_t je = j;
            while (ie < a.size() && std::isdigit(static_cast<unsigned char>(a[ie])))
                ++ie;
            while (je < b.size() && std::isdigit(static_cast<unsigned char>(b[je])))
                ++je;
            const std::string na = a.substr(i, ie - i);
            const std::string nb = b.substr(j, je - j);
            if (na.size() != nb.size())
                return na.size() < nb.size();
            if (na != nb)
                return na < nb;
            i = ie;
            j = je;
        } else {
            if (a[i] != b[j])
                return a[i] < b[j];
            ++i;
            ++j;
        }
    }
    return a.size() - i < b.size() - j;
}

// A link's target as an absolute, normalised path (without following further
// links, so that a by-id name shows the ttyUSB it names).
std::string LinkTarget(const fs::path& link) {
    std::error_code error;
    fs::path target = fs::read_symlink(link, error);
    if (error)
        return link.string();
    if (target.is_relative())
        target = link.parent_path() / target;
    return target.lexically_normal().string();
}

std::vector<int> ComsFor(const std::map<int, std::string>& com, const std::string& path,
                         const std::string& target) {
    std::vector<int> numbers;
    for (const auto& [number, mapped] : com) {
        const std::string normal = fs::path(mapped).lexically_normal().string();
        if (normal == path || normal == target)
            numbers.push_back(number);
    }
    return numbers;
}

} // namespace

const char* KindName(TSerialPort::TKind kind) {
    switch (kind) {
    case TSerialPort::ById:
        return "by-id";
    case TSerialPort::Usb:
        return "usb";
    case TSerialPort::Acm:
        return "acm";
    case TSerialPort::Uart:
        return "uart";
    }
    return "";
}

std::vector<TSerialPort> ListSerialPorts(const TPortsRoot& root,
                                         const std::map<int, std::string>& com) {
    std::vector<TSerialPort> byId;
    std::vector<TSerialPort> devices;
    std::error_code error;
    const fs::path idFolder = fs::path(root.Dev) / "serial/by-id";
    for (fs::directory_iterator it(idFolder, error), end; !error && it != end;
         it.increment(error)) {
        TSerialPort port;
        port.Kind = TSerialPort::ById;
        port.Path = it->path().string();
        port.Target = LinkTarget(it->path());
        byId.push_back(std::move(port));
    }
    error.clear();
    for (fs::directory_iterator it(root.Dev, error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        TSerialPort port;
        if (name.rfind("ttyUSB", 0) == 0)
            port.Kind = TSerialPort::Usb;
        else if (name.rfind("ttyACM", 0) == 0)
            port.Kind = TSerialPort::Acm;
        else if (name.rfind("ttyS", 0) == 0 && name.size() > 4 && KernelReportsUart(root, name))
            port.Kind = TSerialPort::Uart;
        else
            continue;
        port.Path = port.Target = it->path().string();
        devices.push_back(std::move(port));
    }
    const auto byPath = [](const TSerialPort& a, const TSerialPort& b) {
        return NaturalLess(a.Path, b.Path);
    };
    std::sort(byId.begin(), byId.end(), byPath);
    std::sort(devices.begin(), devices.end(), byPath);
    byId.insert(byId.end(), devices.begin(), devices.end());
    for (TSerialPort& port : byId)
        port.Com = ComsFor(com, port.Path, port.Target);
    return byId;
}

std::vector<std::string> DevicesToTry(const std::vector<TSerialPort>& ports) {
    std::vector<std::string> devices;
    std::set<std::string> seen;
    for (const TSerialPort& port : ports)
        if (seen.insert(port.Target).second)
            devices.push_back(port.Target);
    return devices;
}

} // namespace kelvo
