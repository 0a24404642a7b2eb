#pragma once
// The real serial port under the device stream, on a POSIX terminal device,
// and the mapping of port numbers to device paths.
#include "devicelink/comline.h"

#include <functional>
#include <memory>
#include <string>
#include <termios.h>

namespace kelvo {

// What became of the request for low latency made at opening.
enum class TLowLatency {
    Set,        // the driver hands on received bytes at once
    NotOffered, // the line has no such setting (a pseudo-terminal, a UART)
    Refused,    // the driver refused it; the port works all the same
};

class TSerialLine : public TComLine {
public:
    // Opens the terminal at path for this process alone; null when it is missing,
    // not a terminal, or held by another program.
    static std::unique_ptr<TSerialLine> Open(const std::string& path);
    ~TSerialLine() override;
    TSerialLine(const TSerialLine&) = delete;
    TSerialLine& operator=(const TSerialLine&) = delete;

    // Raw 8N1 without flow control at 115200, 57600 or 19200 baud; leaves RTS on
    // and DTR off.
    bool Configure(int baud) override;
    bool Purge(bool both) override;
    // Lines without modem control (pseudo-terminals, adapters that switch the
    // direction by themselves) count as switched.
    bool SetRts(bool on) override;
    bool SetDtr(bool on) override;
    long Read(unsigned char* buffer, std::size_t count) override;
    long Write(const unsigned char* buffer, std::size_t count) override;

    int Handle() const { return FHandle; }
    TLowLatency LowLatency() const { return FLowLatency; }

private:
    explicit TSerialLine(int handle) : FHandle(handle) {}
    bool SetModemLine(int line, bool on);
    // -1, or LineGone when errno says the device has gone.
    static long Failure();

    int FHandle;
    // The settings found at opening; kept, never written back.
    termios FFound{};
    bool FFoundValid = false;
    TLowLatency FLowLatency = TLowLatency::NotOffered;
    bool FNoModemControl = false;
};

// Port number -> device path. The default maps port i to /dev/ttyS(i-1); the
// settings layer installs its own lookup (with the default as fallback).
using TPortNameLookup = std::function<std::string(int port)>;
std::string DefaultPortName(int port);
std::string PortDeviceName(int port);
// Installs lookup (an empty one restores the default) and returns the previous.
TPortNameLookup SetPortNameLookup(TPortNameLookup lookup);

// Opens the serial port of number port through the lookup.
std::unique_ptr<TComLine> OpenSerialPort(int port);
TComLineOpener SerialPortOpener();
// An opener that opens path whatever port number is asked for (for tools that
// are given a device path).
TComLineOpener DevicePathOpener(const std::string& path);

} // namespace kelvo
