// kelvoctl as a production line and a service script use it, against
// kelvo-sim: values stored as typed or refused before anything is written,
// failures said in words, checked output files and the result line of
// program.
#include "kelvoctl/kelvoctl_fixture.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using kelvo::test::KelvoctlOnline;

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST_F(KelvoctlOnline, RefusedValuesLeaveTheDeviceAsItWas) {
    // The first key is good; the bad ones behind it keep it from being written.
    auto run = Ctl("set", "0x23=-40 0x25=99999999999 0x24=1e999 0x22=7 0x12=TT-€1");
    EXPECT_EQ(run.Exit, 2) << run.Err;
    EXPECT_EQ(run.Out, "");
    for (const char* reason : {"line 0x25: \"99999999999\" is outside the range",
                               "line 0x24: \"1e999\" is outside", "line 0x22: no choice 7",
                               "line 0x12: the character \"€\" (U+20AC)", "nothing was written"})
        EXPECT_TRUE(Contains(run.Err, reason)) << reason << "\n" << run.Err;
    EXPECT_EQ(Ctl("get", "0x23 0x12").Out,
              "0x0023 Range start = -50\n0x0012 Device tag = TT-101\n");

    run = Ctl("set", "0x12=" + std::string(261, 'x') + " --program");
    EXPECT_EQ(run.Exit, 2);
    EXPECT_TRUE(Contains(run.Err, "at most 260")) << run.Err;
    EXPECT_FALSE(Contains(run.Err, "Program KELVO Device")) << "no program after a refusal";

    run = Ctl("get", "0x25 0x99 0x25:1");
    EXPECT_EQ(run.Exit, 2);
    EXPECT_EQ(run.Out, "") << "nothing is read when a KEY is wrong";
    EXPECT_TRUE(Contains(run.Err, "line 0x99: no such line")) << run.Err;
    EXPECT_TRUE(Contains(run.Err, "line 0x25:1: not in a repeated group")) << run.Err;
}

TEST_F(KelvoctlOnline, ACountWrittenFirstBringsItsInstancesIntoView) {
    auto run = Ctl("set", "0x60=3 0x62:2=55 0x12=Grüße");
    ASSERT_EQ(run.Exit, 0) << run.Err;
    EXPECT_EQ(run.Out, "0x0060 Alarm limits = 3\n0x0062:2 Setpoint = 55\n"
                       "0x0012 Device tag = Grüße\n");
    EXPECT_EQ(Ctl("get", "0x62:2 0x12").Out, "0x0062:2 Setpoint = 55\n0x0012 Device tag = Grüße\n");
}

TEST_F(KelvoctlOnline, ShowKeysNamesEveryRowAsGetTakesIt) {
    const auto run = Ctl("show", "--keys");
    ASSERT_EQ(run.Exit, 0) << run.Err;
    EXPECT_TRUE(Contains(run.Out, "\n0x0025      Filter time [ms]    :")) << run.Out;
    EXPECT_TRUE(Contains(run.Out, "\n0x0063:1      Source")) << run.Out;
    // Every key shown reads back.
    EXPECT_EQ(Ctl("get", "0x0063:1").Exit, 0);
}

TEST_F(KelvoctlOnline, FilesAreCheckedBeforeTheDeviceIsTouched) {
    const std::string trace = Sim.Path("none.dat");
    auto run = Ctl("download", "-o '" + Sim.Dir + "/missing/device.dat'");
    EXPECT_EQ(run.Exit, 1);
    EXPECT_TRUE(Contains(run.Err, "does not exist")) << run.Err;
    EXPECT_FALSE(Contains(run.Err, "Go Online")) << "refused before connecting";
    run = Ctl("download", "-o '" + Sim.Dir + "/device.txt'");
    EXPECT_EQ(run.Exit, 1);
    EXPECT_TRUE(Contains(run.Err, ".dat or .kelvo")) << run.Err;
    run = Ctl("get", "0x25 --log '" + Sim.Dir + "/missing/log.txt'");
    EXPECT_EQ(run.Exit, 1);
    EXPECT_TRUE(Contains(run.Err, "cannot write the log")) << run.Err;
    EXPECT_EQ(run.Out, "");
    run = Ctl("get", "0x25 --log ''");
    EXPECT_EQ(run.Exit, 64);
    EXPECT_TRUE(Contains(run.Err, "Try 'kelvoctl get --help'")) << run.Err;
    EXPECT_FALSE(Contains(run.Err, "Exit status")) << "one usage line, not the whole help";

    // A log the disk does not take fails the run that did its work.
    if (::access("/dev/full", W_OK) == 0) {
        run = Ctl("get", "0x25 --log /dev/full");
        EXPECT_EQ(run.Exit, 1) << run.Err;
        EXPECT_EQ(run.Out, "0x0025 Filter time [ms] = 500\n");
        EXPECT_TRUE(Contains(run.Err, "cannot write the log to /dev/full")) << run.Err;
    }

    const std::string file = Sim.Dir + "/device.dat";
    run = Ctl("download", "-o '" + file + "'");
    ASSERT_EQ(run.Exit, 0) << run.Err;
    EXPECT_TRUE(Contains(run.Err, "saved 37 lines to " + file)) << run.Err;
}

TEST_F(KelvoctlOnline, ProgramEndsWithWhatTheDeviceHolds) {
    const std::string file = Sim.Dir + "/second-instance.dat";
    ASSERT_EQ(Ctl("set", "0x63:1=1").Exit, 0);
    ASSERT_EQ(Ctl("download", "-o '" + file + "'").Exit, 0);
    ASSERT_EQ(Ctl("set", "0x63:1=0 0x25=640").Exit, 0);

    auto run = Ctl("program", "'" + file + "' --answer cancel");
    EXPECT_EQ(run.Exit, 3);
    EXPECT_TRUE(Contains(run.Err, "\ndevice unchanged\n")) << run.Err;
    run = Ctl("program", "'" + file + "' --answer no");
    EXPECT_EQ(run.Exit, 3);
    EXPECT_TRUE(Contains(run.Err, "\ndevice holds other values than " + file + " in 2 lines\n"))
        << run.Err;
    run = Ctl("program", "'" + file + "' --answer yes");
    EXPECT_EQ(run.Exit, 0) << run.Err;
    EXPECT_TRUE(Contains(run.Err, "\ndevice programmed with " + file + "\n")) << run.Err;

    // A file cut inside a record is not programmed unless that is accepted.
    std::ifstream in(file, std::ios::binary);
    std::string data{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::string cut = Sim.Dir + "/cut.dat";
    std::ofstream(cut, std::ios::binary) << data.substr(0, data.size() - 5);
    run = Ctl("program", "'" + cut + "' --answer yes");
    EXPECT_EQ(run.Exit, 1);
    EXPECT_TRUE(Contains(run.Err, "file ends inside the record at byte")) << run.Err;
    EXPECT_TRUE(Contains(run.Err, "\ndevice unchanged\n")) << run.Err;
    EXPECT_FALSE(Contains(run.Err, "Go Online")) << run.Err;
    // Accepted, it goes online with the lines it holds; without its last line
    // the file no longer fits the device.
    run = Ctl("program", "'" + cut + "' --answer yes --accept-truncated");
    EXPECT_TRUE(Contains(run.Err, "Old data are not compatible")) << run.Err;
    EXPECT_TRUE(Contains(run.Err, "\ndevice unchanged\n")) << run.Err;
}

TEST_F(KelvoctlOnline, ProgramComparesTheInstancesACountBringsIntoView) {
    // The file holds a third alarm; the device shows two.
    const std::string file = Sim.Dir + "/three-alarms.dat";
    ASSERT_EQ(Ctl("set", "0x60=3 0x62:2=55").Exit, 0);
    ASSERT_EQ(Ctl("download", "-o '" + file + "'").Exit, 0);
    ASSERT_EQ(Ctl("set", "0x60=2").Exit, 0);

    auto run = Ctl("program", "'" + file + "' --answer no");
    EXPECT_EQ(run.Exit, 3);
    // The count and the four lines of the third instance.
    EXPECT_TRUE(Contains(run.Err, "\ndevice holds other values than " + file + " in 5 lines\n"))
        << run.Err;
    run = Ctl("program", "'" + file + "' --answer yes");
    EXPECT_EQ(run.Exit, 0) << run.Err;
    EXPECT_TRUE(Contains(run.Err, "\ndevice programmed with " + file + "\n")) << run.Err;
    EXPECT_EQ(Ctl("get", "0x60 0x62:2").Out, "0x0060 Alarm limits = 3\n0x0062:2 Setpoint = 55\n");

    // Only the third instance differs now: the go-online comparison sees the
    // first one alone, the check after it finds the third.
    ASSERT_EQ(Ctl("set", "0x62:2=66").Exit, 0);
    run = Ctl("program", "'" + file + "' --answer yes");
    EXPECT_EQ(run.Exit, 0) << run.Err;
    EXPECT_EQ(Ctl("get", "0x62:2").Out, "0x0062:2 Setpoint = 55\n");
}

TEST_F(KelvoctlOnline, ALineThatCannotBeOpenedIsNamedWithTheReason) {
    auto run = CtlAt("--device /nonexistent/tty", "get", "0x25");
    EXPECT_EQ(run.Exit, 2);
    EXPECT_TRUE(Contains(run.Err, "/nonexistent/tty is missing or already in use!")) << run.Err;
    EXPECT_TRUE(Contains(run.Err, "\nkelvoctl: cannot open /nonexistent/tty: no such file\n"))
        << run.Err;
    run = CtlAt("--device '" + Sim.Dir + "'", "get", "0x25");
    EXPECT_TRUE(Contains(run.Err, "not a terminal")) << run.Err;

    // Another program holds the line.
    const int holder = ::open(Sim.Link.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    run = CtlOnce("get", "0x25");
    ::close(holder);
    EXPECT_EQ(run.Exit, 2);
    EXPECT_TRUE(Contains(run.Err, "cannot open " + Sim.Link + ": in use by another program"))
        << run.Err;
    EXPECT_EQ(Ctl("get", "0x25").Exit, 0) << "free again";
}

// A device that never answers, and one that stops, stays busy or garbles.
class KelvoctlFaultyDevice : public KelvoctlOnline,
                             public ::testing::WithParamInterface<std::vector<std::string>> {
protected:
    std::vector<std::string> SimOptions() const override { return GetParam(); }
};

TEST_P(KelvoctlFaultyDevice, TheLostConnectionIsNamedWithItsPlace) {
    const std::vector<std::string> options = GetParam();
    const std::string fault = options[0] + " " + options[1];
    const auto run = CtlOnce("set", "0x25=640 0x23=-40 0x24=140 --baud 57600");
    EXPECT_EQ(run.Exit, 2) << fault;
    std::string expected;
    if (fault == "--silent-after 0")
        expected = "kelvoctl: " + Sim.Link + ": no answer at 57600 baud\n";
    else if (fault == "--silent-after 45")
        expected = "kelvoctl: the device stopped answering ";
    else if (options[0] == "--busy")
        expected = "kelvoctl: the device stayed busy ";
    else
        expected = "kelvoctl: the device's answers kept failing the frame check ";
    EXPECT_TRUE(Contains(run.Err, expected)) << fault << "\n" << run.Err;
    // Where it happened: a line of the dialog, or the download.
    if (fault != "--silent-after 0") {
        EXPECT_TRUE(Contains(run.Err, expected + "at line 0x00") ||
                    Contains(run.Err, expected + "while the dialog was downloaded, after "))
            << run.Err;
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, KelvoctlFaultyDevice,
                         ::testing::Values(std::vector<std::string>{"--silent-after", "0"},
                                           std::vector<std::string>{"--silent-after", "45"},
                                           std::vector<std::string>{"--busy", "1000000"},
                                           std::vector<std::string>{"--corrupt-every", "1"}));

// A device paced at its baud rate, with every message traced, so that a test
// can see how far a command has come.
class KelvoctlTracedDevice : public KelvoctlOnline {
protected:
    std::vector<std::string> SimOptions() const override {
        return {"--pace", "--trace", Sim.Path("trace.txt")};
    }
    int TracedMessages() const {
        std::ifstream in(Sim.Path("trace.txt"));
        int count = 0;
        for (std::string line; std::getline(in, line);)
            count += line.rfind("PC:", 0) == 0 ? 1 : 0;
        return count;
    }
    // Starts "kelvoctl set" of many values with --program, sends signal once
    // the simulator has seen the writes begin, and waits for the end.
    TRun InterruptedSet(int signal, const std::string& log) const {
        std::vector<std::string> args = {KELVOCTL_PATH, "set", "--device", Sim.Link};
        for (int i = 0; i < 60; ++i)
            args.push_back("0x25=" + std::to_string(600 + i));
        args.insert(args.end(), {"--program", "--log", log});
        const std::string out = Sim.Path("out.txt");
        const std::string err = Sim.Path("err.txt");
        // The go-online dialogue and the reading for the snapshot take fewer
        // messages than this.
        const int writing = TracedMessages() + 170;
        const pid_t pid = ::fork();
        if (pid == 0) {
            const int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            const int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ::dup2(o, STDOUT_FILENO);
            ::dup2(e, STDERR_FILENO);
            std::vector<char*> argv;
            for (std::string& a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        int status = 0;
        for (int waited = 0; waited < kelvo::test::TSimProcess::PatienceMs; ++waited) {
            if (::waitpid(pid, &status, WNOHANG) == pid) {
                TRun early;
                early.Exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
                early.Err = Read(err);
                return early;
            }
            if (TracedMessages() >= writing)
                break;
            ::usleep(1000);
        }
        ::kill(pid, signal);
        ::waitpid(pid, &status, 0);
        TRun run;
        run.Exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.Out = Read(out);
        run.Err = Read(err);
        return run;
    }
};

TEST_F(KelvoctlTracedDevice, AnInterruptStopsTheJobAndSaysWhatWasDone) {
    for (const int signal : {SIGINT, SIGTERM}) {
        const std::string log = Sim.Path("log-" + std::to_string(signal) + ".txt");
        TRun run;
        // A machine that held this test up long enough lets the job end first.
        for (int attempt = 0; attempt < 3; ++attempt) {
            run = InterruptedSet(signal, log);
            if (run.Exit != 0)
                break;
        }
        EXPECT_EQ(run.Exit, 128 + signal) << run.Err;
        EXPECT_TRUE(Contains(run.Err, "kelvoctl: interrupted: ")) << run.Err;
        EXPECT_TRUE(Contains(run.Err, " of 60 lines written, device not programmed\n")) << run.Err;
        EXPECT_FALSE(Contains(run.Err, "of 60 lines written, device not programmed\nkelvoctl"))
            << "said once, at the end: " << run.Err;
        EXPECT_FALSE(Contains(run.Err, "Program KELVO Device")) << run.Err;
        EXPECT_FALSE(Read(log).empty()) << "the log is written";
        // The device is left in a state the next command can work with.
        EXPECT_EQ(Ctl("get", "0x25").Exit, 0);
    }
}

TEST_F(KelvoctlTracedDevice, TheLogHoldsEveryExchangeOfTheRunNumberedWithoutGaps) {
    // Far more exchanges than the stream's ring of 16 KB holds.
    std::string args;
    for (int i = 0; i < 60; ++i)
        args += " 0x25=" + std::to_string(600 + i);
    const std::string log = Sim.Path("full-log.txt");
    const int before = TracedMessages();
    const auto run = Ctl("set", args + " --log '" + log + "'");
    ASSERT_EQ(run.Exit, 0) << run.Err;
    const int messages = TracedMessages() - before;
    ASSERT_GT(messages, 300);

    std::ifstream in(log);
    int entries = 0;
    bool inOrder = true;
    for (std::string line; std::getline(in, line);) {
        // An entry starts with its number and its time.
        const auto space = line.find(' ');
        if (space == 0 || space == std::string::npos || line.find(":") == std::string::npos ||
            line.find_first_not_of("0123456789") != space)
            continue;
        ++entries;
        inOrder = inOrder && std::stoi(line.substr(0, space)) == entries;
    }
    EXPECT_EQ(entries, messages) << "one entry per message the device saw";
    EXPECT_TRUE(inOrder);
}

TEST_F(KelvoctlOnline, ProgressIsShownOnATerminalOnly) {
    // Standard error on a terminal: the progress line is drawn and cleared.
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const int terminal = ::open(::ptsname(master), O_RDWR | O_NOCTTY);
    ASSERT_GE(terminal, 0);
    const std::string file = Sim.Dir + "/progress.dat";
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDOUT_FILENO);
        ::dup2(terminal, STDERR_FILENO);
        ::execl(KELVOCTL_PATH, KELVOCTL_PATH, "download", "--device", Sim.Link.c_str(), "-o",
                file.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    // The terminal's buffer holds far more than the few lines drawn.
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    ::fcntl(master, F_SETFL, O_NONBLOCK);
    std::string shown;
    char buffer[4096];
    for (ssize_t n; (n = ::read(master, buffer, sizeof buffer)) > 0;)
        shown.append(buffer, static_cast<std::size_t>(n));
    ::close(terminal);
    ::close(master);
    EXPECT_EQ(WEXITSTATUS(status), 0) << shown;
    EXPECT_TRUE(Contains(shown, "\r\033[Kdownloading the dialog: ")) << shown;
    EXPECT_TRUE(Contains(shown, " bytes, ")) << shown;
    EXPECT_TRUE(Contains(shown, " retries, ")) << shown;
    EXPECT_TRUE(Contains(shown, "\r\033[Ksaved 37 lines to ")) << "cleared before the result";

    // Standard error in a file: nothing but the messages.
    const auto run = Ctl("download", "-o '" + file + "'");
    EXPECT_EQ(run.Exit, 0);
    EXPECT_EQ(run.Err.find('\r'), std::string::npos) << run.Err;
    EXPECT_EQ(run.Err.find('\033'), std::string::npos) << run.Err;
}

TEST(KelvoctlCommandLine, ShowSaysWhatItCannotUseInOneLine) {
    char dir[] = "/tmp/kelvoctl-show-XXXXXX";
    ASSERT_NE(::mkdtemp(dir), nullptr);
    const std::string base = dir;
    const auto run = [&](const std::string& args) {
        const std::string out = base + "/out.txt", err = base + "/err.txt";
        const std::string line =
            std::string(KELVOCTL_PATH) + " show " + args + " >" + out + " 2>" + err;
        const int status = std::system(line.c_str());
        struct {
            int Exit = -1;
            std::string Out, Err;
        } r;
        r.Exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        std::ifstream o(out), e(err);
        r.Out.assign(std::istreambuf_iterator<char>(o), std::istreambuf_iterator<char>());
        r.Err.assign(std::istreambuf_iterator<char>(e), std::istreambuf_iterator<char>());
        return r;
    };
    auto r = run(base);
    EXPECT_EQ(r.Exit, 1);
    EXPECT_EQ(r.Err, "Invalid File \"" + base + "\"! (it is a directory)\n");

    r = run(std::string(KELVO_DEMO_DIALOG_FILE) + " --language Klingon --translations " + base +
            "/none");
    EXPECT_EQ(r.Exit, 0) << r.Err;
    EXPECT_TRUE(
        Contains(r.Err, "warning: the translations directory \"" + base + "/none\" does not exist"))
        << r.Err;
    EXPECT_TRUE(Contains(r.Err, "warning: no translation into \"Klingon\"")) << r.Err;
    EXPECT_TRUE(Contains(r.Out, "Programmname")) << "shown untranslated";
    std::filesystem::remove_all(base);
}

TEST(KelvoctlCommandLine, VersionAndShortUsageErrors) {
    const std::string out = "/tmp/kelvoctl-version-" + std::to_string(::getpid());
    const auto run = [&](const std::string& args) {
        const std::string line = std::string(KELVOCTL_PATH) + " " + args + " >" + out + " 2>&1";
        const int status = std::system(line.c_str());
        std::ifstream in(out);
        std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        return std::make_pair(WIFEXITED(status) ? WEXITSTATUS(status) : -1, text);
    };
    auto [exit, text] = run("--version");
    EXPECT_EQ(exit, 0);
    EXPECT_EQ(text.rfind("kelvoctl ", 0), 0u) << text;
    for (const char* wrong : {"", "frobnicate", "get --colour", "set --device x 0x25",
                              "program --device x a.dat --answer maybe"}) {
        std::tie(exit, text) = run(wrong);
        EXPECT_EQ(exit, 64) << wrong;
        EXPECT_TRUE(Contains(text, "Try 'kelvoctl")) << wrong << ": " << text;
        EXPECT_LE(std::count(text.begin(), text.end(), '\n'), 3) << wrong << ": " << text;
    }
    ::unlink(out.c_str());
}

} // namespace
