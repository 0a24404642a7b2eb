// Runs the kelvo-sim program and talks to it over its pseudo-terminal.
#include "tools/device_harness.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

using namespace kelvo;
using namespace kelvo::testing;

namespace {

// Generous limits only guard against a hang; the test never measures time.
constexpr int PatienceMs = 10000;

class TSimProcess {
public:
    TSimProcess(const std::string& link, const std::string& trace) {
        int out[2];
        if (::pipe(out) != 0)
            return;
        FPid = ::fork();
        if (FPid == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            ::close(out[0]);
            ::close(out[1]);
            ::execl(KELVO_SIM_BINARY, "kelvo-sim", "--link", link.c_str(), "--trace", trace.c_str(),
                    "--answer-mode", "conti", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(out[1]);
        FOut = out[0];
    }
    ~TSimProcess() {
        if (FPid > 0) {
            ::kill(FPid, SIGKILL);
            ::waitpid(FPid, nullptr, 0);
        }
        if (FOut >= 0)
            ::close(FOut);
    }
    std::string ReadLine() {
        std::string line;
        char c;
        pollfd p{FOut, POLLIN, 0};
        while (::poll(&p, 1, PatienceMs) > 0 && ::read(FOut, &c, 1) == 1 && c != '\n')
            line += c;
        return line;
    }
    int Stop() {
        ::kill(FPid, SIGTERM);
        int status = 0;
        ::waitpid(FPid, &status, 0);
        FPid = -1;
        return status;
    }

private:
    pid_t FPid = -1;
    int FOut = -1;
};

int OpenPort(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return fd;
    termios tio{};
    ::tcgetattr(fd, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(fd, TCSANOW, &tio);
    return fd;
}

TBytes Exchange(int fd, const TBytes& message, std::size_t replyBytes) {
    EXPECT_EQ(::write(fd, message.data(), message.size()), static_cast<ssize_t>(message.size()));
    TBytes got;
    const std::size_t wanted = message.size() + replyBytes;
    pollfd p{fd, POLLIN, 0};
    unsigned char buffer[128];
    while (got.size() < wanted && ::poll(&p, 1, PatienceMs) > 0) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0)
            got.insert(got.end(), buffer, buffer + n);
        else if (n < 0 && errno != EAGAIN)
            break;
    }
    EXPECT_EQ(got.size(), wanted);
    if (got.size() < message.size())
        return {};
    EXPECT_TRUE(std::equal(message.begin(), message.end(), got.begin())) << "echo";
    return TBytes(got.begin() + message.size(), got.end());
}

} // namespace

TEST(KelvoSim, ServesTheDemoDialogOnAPseudoTerminal) {
    char dir[] = "/tmp/kelvo-sim-test-XXXXXX";
    ASSERT_NE(::mkdtemp(dir), nullptr);
    const std::string link = std::string(dir) + "/ttyKELVO";
    const std::string trace = std::string(dir) + "/trace.txt";
    {
        TSimProcess sim(link, trace);
        ASSERT_EQ(sim.ReadLine(), "ready " + link);

        int fd = OpenPort(link);
        ASSERT_GE(fd, 0);
        EXPECT_EQ(Exchange(fd, {Ready}, 1), TBytes{Ready});
        EXPECT_EQ(Exchange(fd, Frame(0, ReadCommand(SkText, 0x0011)), 1), TBytes{Conti});
        // The PC side closes the port and opens it again: the device goes on.
        ::close(fd);
        fd = OpenPort(link);
        ASSERT_GE(fd, 0);
        const TBytes reply = Exchange(fd, {Conti}, 5 + 17);
        ASSERT_TRUE(IsValidFrame(reply));
        EXPECT_EQ(FrameNumber(reply), 2);
        EXPECT_EQ(TBytes(reply.end() - 15, reply.end() - 3), RawText("KT200 V2.14"));
        EXPECT_EQ(Exchange(fd, {Conti}, 1), TBytes{Finis});
        ::close(fd);

        const int status = sim.Stop();
        EXPECT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }
    struct stat st {};
    EXPECT_NE(::lstat(link.c_str(), &st), 0) << "the link is removed";
    std::ifstream file(trace);
    std::stringstream text;
    text << file.rdbuf();
    EXPECT_EQ(text.str().substr(0, 16), "PC: 74\nDEV: 74\nP");
    EXPECT_NE(text.str().find("DEV: BA\nPC: BA\nDEV: 9D 51 "), std::string::npos);
    ::unlink(trace.c_str());
    ::rmdir(dir);
}
