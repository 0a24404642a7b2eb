// Runs the kelvo-sim program and talks to it over its pseudo-terminal.
#include "support/sim_process.h"
#include "tools/device_harness.h"
#include "tools/vdevice/family_dialogs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <poll.h>
#include <sstream>
#include <string>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

using namespace kelvo;
using namespace kelvo::testing;
using kelvo::test::TSimProcess;

namespace {

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
    while (got.size() < wanted && ::poll(&p, 1, TSimProcess::PatienceMs) > 0) {
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

// One read of a group member in answer mode frame: the value bytes.
TBytes ReadMemberValue(int fd, int kind, std::uint16_t address, int instance,
                       std::size_t valueSize) {
    const TBytes command = ReadMember(kind, address, instance);
    EXPECT_EQ(Exchange(fd, {Ready}, 1), TBytes{Ready});
    const TBytes reply = Exchange(fd, Frame(0, command), 5 + command.size() + 2 + valueSize);
    EXPECT_EQ(Exchange(fd, {Finis}, 1), TBytes{Ready});
    if (!IsValidFrame(reply))
        return {};
    const TBytes data = FrameData(reply);
    return TBytes(data.begin() + command.size() + 2, data.end());
}

void WriteFile(const std::string& path, const TBytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

TBytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return TBytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

TEST(KelvoSim, ServesTheDemoDialogOnAPseudoTerminal) {
    TSimProcess sim(KELVO_SIM_BINARY);
    const std::string trace = sim.Path("trace.txt");
    ASSERT_TRUE(sim.Start({"--trace", trace, "--answer-mode", "conti"}))
        << sim.Ready << sim.ErrorOutput();

    int fd = OpenPort(sim.Link);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(Exchange(fd, {Ready}, 1), TBytes{Ready});
    EXPECT_EQ(Exchange(fd, Frame(0, ReadCommand(SkText, 0x0011)), 1), TBytes{Conti});
    // The PC side closes the port and opens it again: the device goes on.
    ::close(fd);
    fd = OpenPort(sim.Link);
    ASSERT_GE(fd, 0);
    const TBytes reply = Exchange(fd, {Conti}, 5 + 17);
    ASSERT_TRUE(IsValidFrame(reply));
    EXPECT_EQ(FrameNumber(reply), 2);
    EXPECT_EQ(TBytes(reply.end() - 15, reply.end() - 3), RawText("KT200 V2.14"));
    EXPECT_EQ(Exchange(fd, {Conti}, 1), TBytes{Finis});
    ::close(fd);

    EXPECT_EQ(sim.Stop(), 0);
    struct stat st {};
    EXPECT_NE(::lstat(sim.Link.c_str(), &st), 0) << "the link is removed";
    std::ifstream file(trace);
    std::stringstream text;
    text << file.rdbuf();
    EXPECT_EQ(text.str().substr(0, 16), "PC: 74\nDEV: 74\nP");
    EXPECT_NE(text.str().find("DEV: BA\nPC: BA\nDEV: 9D 51 "), std::string::npos);
}

TEST(KelvoSim, TakesMessagesInAnyPiecesThePcSideWrites) {
    TSimProcess sim(KELVO_SIM_BINARY);
    ASSERT_TRUE(sim.Start()) << sim.Ready << sim.ErrorOutput();
    const int fd = OpenPort(sim.Link);
    ASSERT_GE(fd, 0);
    // Codes in quick succession, all in one write: each is echoed and answered.
    EXPECT_EQ(Exchange(fd, {Ready, Ready, Ready}, 3), (TBytes{Ready, Ready, Ready}));

    // A slow PC side writes a frame byte by byte with pauses between the bytes;
    // each byte reaches the device on its own, and the frame is still one.
    const TBytes command = ReadCommand(SkLong, 0x0025);
    const TBytes frame = Frame(0, command);
    for (std::size_t i = 0; i + 1 < frame.size(); ++i) {
        EXPECT_TRUE(Exchange(fd, {frame[i]}, 0).empty());
        ::usleep(30000);
    }
    const TBytes reply = Exchange(fd, {frame.back()}, 5 + command.size() + 2 + 4);
    ASSERT_TRUE(IsValidFrame(reply));
    EXPECT_EQ(FrameData(reply), Concat(Concat(command, {0, 0}), RawLong(500)));
    EXPECT_EQ(Exchange(fd, {Conti}, 1), TBytes{Finis});
    ::close(fd);
    EXPECT_EQ(sim.Stop(), 0);
}

TEST(KelvoSim, ServesAFileSavedFromADocumentWithEveryInstanceValue) {
    // The family program with a repeated group: its file holds all eight relay
    // instances, each with its own values.
    const auto programs = FamilyPrograms();
    const auto program = std::find_if(programs.begin(), programs.end(), [](const auto& p) {
        return !p.Dialog.InstanceValues.empty();
    });
    ASSERT_NE(program, programs.end());
    const std::string file = std::string(KELVO_DIALOG_DIR) + "/" + program->FileName;
    const TInstanceValue& probe = program->Dialog.InstanceValues.back();
    ASSERT_GT(probe.Instance, 1);
    const TVirtualDevice reference(program->Dialog);

    TSimProcess sim(KELVO_SIM_BINARY);
    ASSERT_TRUE(sim.Start({"--dialog", file})) << sim.Ready << sim.ErrorOutput();
    const int fd = OpenPort(sim.Link);
    ASSERT_GE(fd, 0);
    for (int instance : {0, 1, probe.Instance}) {
        SCOPED_TRACE(instance);
        const TBytes* expected = reference.WorkingValue(probe.Address, instance);
        ASSERT_NE(expected, nullptr);
        EXPECT_EQ(ReadMemberValue(fd, SkChoice, probe.Address, instance, expected->size()),
                  *expected);
    }
    EXPECT_EQ(ReadMemberValue(fd, SkChoice, probe.Address, probe.Instance, 2), probe.Raw);
    ::close(fd);
    EXPECT_EQ(sim.Stop(), 0);
}

TEST(KelvoSim, StopsWithAMessageOnABadDialogFile) {
    const TBytes demo = ReadFile(KELVO_DEMO_DIALOG_FILE);
    ASSERT_FALSE(demo.empty());
    TBytes twice = demo;
    twice.insert(twice.end(), demo.begin(), demo.end());
    struct TCase {
        const char* Name;
        TBytes Bytes;
        std::string Message;
    };
    const TCase cases[] = {
        {"cut", TBytes(demo.begin(), demo.end() - 1), "bad line record at byte "},
        {"empty", {}, "no line records"},
        {"twice", twice, "address 0x0010 is used twice"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TSimProcess sim(KELVO_SIM_BINARY);
        const std::string file = sim.Path("dialog.dat");
        WriteFile(file, c.Bytes);
        EXPECT_FALSE(sim.Start({"--dialog", file}));
        EXPECT_EQ(sim.Stop(), 1);
        const std::string error = sim.ErrorOutput();
        EXPECT_EQ(error.rfind("kelvo-sim: " + file + ": ", 0), 0u) << error;
        EXPECT_NE(error.find(c.Message), std::string::npos) << error;
    }
    TSimProcess sim(KELVO_SIM_BINARY);
    EXPECT_FALSE(sim.Start({"--dialog", sim.Path("missing.dat")}));
    EXPECT_EQ(sim.Stop(), 1);
    EXPECT_NE(sim.ErrorOutput().find("cannot read"), std::string::npos) << sim.ErrorOutput();
}

// The exclusive mark only refuses opens without privilege, so this runs as an
// ordinary user only.
TEST(KelvoSim, KeepsTheExclusiveMarkOfAHolderAndLiftsAStaleOne) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "privileged opens ignore the exclusive mark";
    TSimProcess sim(KELVO_SIM_BINARY);
    ASSERT_TRUE(sim.Start()) << sim.Ready << sim.ErrorOutput();

    // A PC program holds the port the way the program's serial line does.
    int holder = OpenPort(sim.Link);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    ASSERT_EQ(::ioctl(holder, TIOCEXCL), 0);
    // The simulator runs several housekeeping turns while the holder keeps
    // the port; a second program stays refused throughout.
    int probe = OpenPort(sim.Link);
    EXPECT_LT(probe, 0);
    EXPECT_EQ(errno, EBUSY);
    const int turns = 5;
    for (int i = 0; i < turns && probe < 0; ++i) {
        EXPECT_EQ(Exchange(holder, {Ready}, 1), TBytes{Ready});
        EXPECT_EQ(Exchange(holder, {Finis}, 1), TBytes{Ready});
        probe = OpenPort(sim.Link);
    }
    EXPECT_LT(probe, 0) << "the holder's mark was lifted";
    if (probe >= 0)
        ::close(probe);

    // The holder ends without giving up its mark, as a crashed program does.
    ::close(holder);
    int next = -1;
    for (int waited = 0; next < 0 && waited < TSimProcess::PatienceMs; waited += 5) {
        next = OpenPort(sim.Link);
        if (next < 0)
            ::usleep(5000);
    }
    ASSERT_GE(next, 0) << "the stale mark stays";
    EXPECT_EQ(Exchange(next, {Ready}, 1), TBytes{Ready});
    ::close(next);
    EXPECT_EQ(sim.Stop(), 0);
}

namespace {

// kelvo-sim run by hand, so that it can be killed without a chance to clean up.
pid_t StartUntilLinked(const std::string& link) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO);
        ::execl(KELVO_SIM_BINARY, KELVO_SIM_BINARY, "--link", link.c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    struct stat st {};
    for (int waited = 0; waited < TSimProcess::PatienceMs; waited += 5) {
        if (::lstat(link.c_str(), &st) == 0)
            break;
        ::usleep(5000);
    }
    return pid;
}

} // namespace

TEST(KelvoSim, ALinkIsServedByOneSimulatorAtATime) {
    TSimProcess first(KELVO_SIM_BINARY);
    ASSERT_TRUE(first.Start()) << first.ErrorOutput();
    TSimProcess second(KELVO_SIM_BINARY);
    second.Link = first.Link;
    EXPECT_FALSE(second.Start());
    EXPECT_EQ(second.Stop(), 1);
    EXPECT_NE(second.ErrorOutput().find(first.Link + " is served by another kelvo-sim"),
              std::string::npos)
        << second.ErrorOutput();
    // The first one still answers on the link.
    const int fd = OpenPort(first.Link);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(Exchange(fd, {Ready}, 1), TBytes{Ready});
    ::close(fd);
    EXPECT_EQ(first.Stop(), 0);

    // A link whose simulator was killed is taken over.
    TSimProcess third(KELVO_SIM_BINARY);
    const pid_t killed = StartUntilLinked(third.Link);
    ASSERT_GT(killed, 0);
    ::kill(killed, SIGKILL);
    int status = 0;
    ::waitpid(killed, &status, 0);
    struct stat st {};
    ASSERT_EQ(::lstat(third.Link.c_str(), &st), 0) << "the killed one left its link";
    ASSERT_TRUE(third.Start()) << third.ErrorOutput();
    const int again = OpenPort(third.Link);
    ASSERT_GE(again, 0);
    EXPECT_EQ(Exchange(again, {Ready}, 1), TBytes{Ready});
    ::close(again);
    EXPECT_EQ(third.Stop(), 0);
}

TEST(KelvoSim, ADialogThatCannotBeReadIsOneClearError) {
    TSimProcess sim(KELVO_SIM_BINARY);
    EXPECT_FALSE(sim.Start({"--dialog", sim.Dir}));
    EXPECT_EQ(sim.Stop(), 1) << "an exit, never an abort";
    EXPECT_EQ(sim.ErrorOutput(), "kelvo-sim: cannot read " + sim.Dir + ": it is a directory\n");
}

TEST(KelvoSim, HelpVersionAndUsage) {
    const auto run = [](const std::string& args, int& exit) {
        const std::string out = "/tmp/kelvo-sim-help-" + std::to_string(::getpid());
        const int status = std::system(
            (std::string(KELVO_SIM_BINARY) + " " + args + " >" + out + " 2>&1").c_str());
        exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        const TBytes text = ReadFile(out);
        ::unlink(out.c_str());
        return std::string(text.begin(), text.end());
    };
    int exit = -1;
    const std::string help = run("--help", exit);
    EXPECT_EQ(exit, 0);
    for (const char* option :
         {"--link PATH", "--dialog FILE", "--baud N", "--pace", "--answer-mode", "--trace FILE",
          "--busy N", "--drop-every K", "--corrupt-every K", "--silent-after N", "--version"})
        EXPECT_NE(help.find(std::string("\n  ") + option), std::string::npos) << option;
    EXPECT_EQ(run("--version", exit).rfind("kelvo-sim ", 0), 0u);
    EXPECT_EQ(exit, 0);
    const std::string usage = run("--link", exit);
    EXPECT_EQ(exit, 2);
    EXPECT_NE(usage.find("Try 'kelvo-sim --help'"), std::string::npos) << usage;
    EXPECT_EQ(std::count(usage.begin(), usage.end(), '\n'), 3) << usage;
}
