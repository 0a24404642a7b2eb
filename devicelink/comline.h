#pragma once
// The serial line under the device stream: a real COM port on termios, or the
// in-process simulated line of the virtual device. Plain C++, no Qt.
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace kelvo {

// What Read and Write answer when the device behind the line has gone (a USB
// adapter pulled out, the other end of a pseudo-terminal closed): the line
// will never work again.
constexpr long LineGone = -2;

class TComLine {
public:
    virtual ~TComLine() = default;
    // 8 data bits, no parity, 1 stop bit, no flow control, RTS on and DTR off.
    virtual bool Configure(int baud) = 0;
    // Discards pending input (and output too when both is set).
    virtual bool Purge(bool both) = 0;
    virtual bool SetRts(bool on) = 0;
    virtual bool SetDtr(bool on) = 0;
    // Returns the bytes read (0 when none came within about 1 ms), -1 on
    // failure, LineGone when the device has gone.
    virtual long Read(unsigned char* buffer, std::size_t count) = 0;
    // Returns the bytes written, -1 on failure, LineGone when the device has gone.
    virtual long Write(const unsigned char* buffer, std::size_t count) = 0;
};

// Opens the line for port number n (1..255); null when it is missing or in use.
using TComLineOpener = std::function<std::unique_ptr<TComLine>(int port)>;

} // namespace kelvo
