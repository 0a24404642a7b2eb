#pragma once
// The serial line under the device stream: a real COM port on termios, or the
// in-process simulated line of the virtual device. Plain C++, no Qt.
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace kelvo {

class TComLine {
public:
    virtual ~TComLine() = default;
    // 8 data bits, no parity, 1 stop bit, no flow control, RTS on and DTR off.
    virtual bool Configure(int baud) = 0;
    // Discards pending input (and output too when both is set).
    virtual bool Purge(bool both) = 0;
    virtual bool SetRts(bool on) = 0;
    virtual bool SetDtr(bool on) = 0;
    // Returns the bytes read (0 when none came within about 1 ms), -1 on failure.
    virtual long Read(unsigned char* buffer, std::size_t count) = 0;
    // Returns the bytes written, -1 on failure.
    virtual long Write(const unsigned char* buffer, std::size_t count) = 0;
};

// Opens the line for port number n (1..255); null when it is missing or in use.
using TComLineOpener = std::function<std::unique_ptr<TComLine>(int port)>;

} // namespace kelvo
