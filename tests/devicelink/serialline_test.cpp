// The serial line on a pseudo-terminal of the test's own: exclusive opening,
// settings, byte transfer, and the port-name lookup.
#include "devicelink/serialline.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <unistd.h>

using namespace kelvo;

namespace {

// The master side of a fresh pseudo-terminal; the line opens its slave.
struct TPty {
    int Master = -1;
    std::string SlavePath;
    TPty() {
        Master = posix_openpt(O_RDWR | O_NOCTTY);
        if (Master >= 0 && grantpt(Master) == 0 && unlockpt(Master) == 0)
            SlavePath = ptsname(Master);
    }
    ~TPty() {
        if (Master >= 0)
            close(Master);
    }
    std::string ReadMaster(std::size_t count) {
        std::string got;
        char buf[64];
        while (got.size() < count) {
            pollfd p{Master, POLLIN, 0};
            if (poll(&p, 1, 5000) <= 0)
                break;
            const ssize_t n = read(Master, buf, sizeof buf);
            if (n <= 0)
                break;
            got.append(buf, static_cast<std::size_t>(n));
        }
        return got;
    }
};

long ReadLine(TComLine& line, unsigned char* buf, std::size_t count) {
    // Each read waits about a millisecond; the bytes are already on their way.
    for (int i = 0; i < 5000; ++i) {
        const long n = line.Read(buf, count);
        if (n != 0)
            return n;
    }
    return 0;
}

TEST(SerialLine, OpensExclusivelyAndMovesBytes) {
    TPty pty;
    ASSERT_FALSE(pty.SlavePath.empty());
    auto line = TSerialLine::Open(pty.SlavePath);
    ASSERT_TRUE(line);
    EXPECT_EQ(TSerialLine::Open(pty.SlavePath), nullptr); // in use
    EXPECT_FALSE(line->Configure(9600));
    ASSERT_TRUE(line->Configure(115200));
    EXPECT_TRUE(line->SetRts(false)); // no modem lines on a pseudo-terminal: done
    EXPECT_TRUE(line->SetDtr(true));

    const unsigned char out[] = {0x9D, 0x0A, 0x11, 0x13, 0x00};
    EXPECT_EQ(line->Write(out, sizeof out), 5);
    EXPECT_EQ(pty.ReadMaster(5), std::string(reinterpret_cast<const char*>(out), 5));

    // Raw mode: control characters pass unchanged in both directions.
    ASSERT_EQ(write(pty.Master, "\x0D\x03\x7F", 3), 3);
    unsigned char in[8] = {};
    long got = 0;
    while (got < 3) {
        const long n = ReadLine(*line, in + got, sizeof in - static_cast<std::size_t>(got));
        ASSERT_GT(n, 0);
        got += n;
    }
    EXPECT_EQ(in[0], 0x0D);
    EXPECT_EQ(in[1], 0x03);
    EXPECT_EQ(in[2], 0x7F);
    EXPECT_EQ(line->Read(in, sizeof in), 0); // nothing more

    line.reset();
    EXPECT_NE(TSerialLine::Open(pty.SlavePath), nullptr); // free again
}

TEST(SerialLine, AsksForLowLatencyWhereTheLineHasTheSetting) {
    TPty pty;
    ASSERT_FALSE(pty.SlavePath.empty());
    auto line = TSerialLine::Open(pty.SlavePath);
    ASSERT_TRUE(line) << "a line without the setting opens all the same";
    EXPECT_EQ(line->LowLatency(), TLowLatency::NotOffered);
    EXPECT_TRUE(line->Configure(115200));
}

TEST(SerialLine, ALineWhoseDeviceWentAwaySaysSo) {
    TPty pty;
    ASSERT_FALSE(pty.SlavePath.empty());
    auto line = TSerialLine::Open(pty.SlavePath);
    ASSERT_TRUE(line);
    ASSERT_TRUE(line->Configure(115200));
    unsigned char buf[8];
    EXPECT_EQ(line->Read(buf, sizeof buf), 0) << "a quiet line is no gone line";
    // The other end closes, as when a USB adapter is pulled out.
    close(pty.Master);
    pty.Master = -1;
    EXPECT_EQ(line->Read(buf, sizeof buf), LineGone);
    const unsigned char ready = 0x74;
    EXPECT_EQ(line->Write(&ready, 1), LineGone);
}

TEST(SerialLine, RefusesWhatIsNoTerminal) {
    EXPECT_EQ(TSerialLine::Open("/nonexistent/ttyX"), nullptr);
    char path[] = "/tmp/kelvo-notatty-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    EXPECT_EQ(TSerialLine::Open(path), nullptr);
    unlink(path);
}

TEST(SerialLine, PortNumbersMapToDevicePaths) {
    EXPECT_EQ(PortDeviceName(1), "/dev/ttyS0");
    EXPECT_EQ(PortDeviceName(20), "/dev/ttyS19");
    TPty pty;
    const TPortNameLookup old = SetPortNameLookup(
        [&](int port) { return port == 7 ? pty.SlavePath : DefaultPortName(port); });
    EXPECT_EQ(PortDeviceName(7), pty.SlavePath);
    EXPECT_EQ(PortDeviceName(2), "/dev/ttyS1");
    EXPECT_NE(OpenSerialPort(7), nullptr);
    SetPortNameLookup(old);
    EXPECT_EQ(PortDeviceName(7), "/dev/ttyS6");

    const TComLineOpener direct = DevicePathOpener(pty.SlavePath);
    EXPECT_NE(direct(42), nullptr);
}

} // namespace
