#include "devicelink/serialline.h"

#include <cerrno>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace kelvo {

namespace {

bool BaudConstant(int baud, speed_t& speed) {
    switch (baud) {
    case 115200:
        speed = B115200;
        return true;
    case 57600:
        speed = B57600;
        return true;
    case 19200:
        speed = B19200;
        return true;
    default:
        return false;
    }
}

// A USB serial adapter hands on what it received only when its latency
// timer runs out (16 ms by default); asked for low latency, the common
// drivers make that 1 ms.
TLowLatency RequestLowLatency(int fd) {
    serial_struct settings{};
    if (ioctl(fd, TIOCGSERIAL, &settings) != 0)
        return errno == ENOTTY || errno == EINVAL ? TLowLatency::NotOffered : TLowLatency::Refused;
    if (settings.flags & ASYNC_LOW_LATENCY)
        return TLowLatency::Set;
    settings.flags |= ASYNC_LOW_LATENCY;
    if (ioctl(fd, TIOCSSERIAL, &settings) == 0)
        return TLowLatency::Set;
    return errno == ENOTTY || errno == EINVAL ? TLowLatency::NotOffered : TLowLatency::Refused;
}

bool DeviceGone(int error) {
    return error == EIO || error == ENXIO || error == ENODEV;
}

TPortNameLookup& Lookup() {
    static TPortNameLookup lookup;
    return lookup;
}

} // namespace

std::unique_ptr<TSerialLine> TSerialLine::Open(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    // Another program holding the port (by lock or by exclusive mode) makes it
    // "in use"; so does anything that is not a terminal.
    if (!isatty(fd) || flock(fd, LOCK_EX | LOCK_NB) != 0 || ioctl(fd, TIOCEXCL) != 0) {
        ::close(fd);
        return nullptr;
    }
    std::unique_ptr<TSerialLine> line(new TSerialLine(fd));
    line->FFoundValid = tcgetattr(fd, &line->FFound) == 0;
    line->FLowLatency = RequestLowLatency(fd);
    return line;
}

TSerialLine::~TSerialLine() {
    // The exclusive mode stays on the terminal beyond this descriptor; give it up
    // so the port can be opened again.
    ioctl(FHandle, TIOCNXCL);
    ::close(FHandle);
}

bool TSerialLine::Configure(int baud) {
    speed_t speed;
    if (!FFoundValid || !BaudConstant(baud, speed))
        return false;
    termios t = FFound;
    cfmakeraw(&t);
    t.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
    t.c_cflag |= CS8 | CLOCAL | CREAD;
    t.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK);
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    if (cfsetispeed(&t, speed) != 0 || cfsetospeed(&t, speed) != 0)
        return false;
    if (tcsetattr(FHandle, TCSANOW, &t) != 0)
        return false;
    return SetRts(true) && SetDtr(false);
}

bool TSerialLine::Purge(bool both) {
    return tcflush(FHandle, both ? TCIOFLUSH : TCIFLUSH) == 0;
}

bool TSerialLine::SetModemLine(int line, bool on) {
    // A line without modem control says so once; it is not asked again at
    // every turn of the line.
    if (FNoModemControl)
        return true;
    if (ioctl(FHandle, on ? TIOCMBIS : TIOCMBIC, &line) == 0)
        return true;
    FNoModemControl = errno == ENOTTY || errno == EINVAL;
    return FNoModemControl;
}

bool TSerialLine::SetRts(bool on) {
    return SetModemLine(TIOCM_RTS, on);
}

bool TSerialLine::SetDtr(bool on) {
    return SetModemLine(TIOCM_DTR, on);
}

long TSerialLine::Failure() {
    return DeviceGone(errno) ? LineGone : -1;
}

long TSerialLine::Read(unsigned char* buffer, std::size_t count) {
    if (count == 0)
        return 0;
    pollfd p{FHandle, POLLIN, 0};
    const int ready = poll(&p, 1, 1);
    if (ready < 0)
        return errno == EINTR ? 0 : -1;
    // A terminal whose device has gone is hung up: what it still holds can
    // be read, then it answers end of file or EIO.
    if (ready > 0 && !(p.revents & POLLIN))
        return (p.revents & POLLHUP) ? LineGone : (p.revents & (POLLERR | POLLNVAL)) ? -1 : 0;
    if (ready == 0)
        return 0;
    const ssize_t n = ::read(FHandle, buffer, count);
    if (n < 0)
        return (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) ? 0 : Failure();
    if (n == 0)
        return LineGone;
    return static_cast<long>(n);
}

long TSerialLine::Write(const unsigned char* buffer, std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::write(FHandle, buffer + done, count - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
            return done ? static_cast<long>(done) : Failure();
        // Like a 1 ms write time-out: a line that takes nothing for that long
        // gets only what it took.
        pollfd p{FHandle, POLLOUT, 0};
        if (poll(&p, 1, 1) <= 0)
            break;
    }
    return static_cast<long>(done);
}

std::string DefaultPortName(int port) {
    return "/dev/ttyS" + std::to_string(port - 1);
}

std::string PortDeviceName(int port) {
    const TPortNameLookup& lookup = Lookup();
    return lookup ? lookup(port) : DefaultPortName(port);
}

TPortNameLookup SetPortNameLookup(TPortNameLookup lookup) {
    TPortNameLookup old = std::move(Lookup());
    Lookup() = std::move(lookup);
    return old;
}

std::unique_ptr<TComLine> OpenSerialPort(int port) {
    const std::string path = PortDeviceName(port);
    if (path.empty())
        return nullptr;
    return TSerialLine::Open(path);
}

TComLineOpener SerialPortOpener() {
    return [](int port) { return OpenSerialPort(port); };
}

TComLineOpener DevicePathOpener(const std::string& path) {
    return [path](int) -> std::unique_ptr<TComLine> { return TSerialLine::Open(path); };
}

} // namespace kelvo
