// The device stream against kelvo-sim over a pseudo-terminal, as the program
// and the tools use it.
#include "devicelink/kelvocommand.h"
#include "devicelink/kelvostream.h"
#include "devicelink/serialline.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace kelvo;
using TBytes = std::vector<unsigned char>;

namespace {

// Runs kelvo-sim on a link in a temporary folder until destroyed.
class TSimProcess {
public:
    explicit TSimProcess(std::vector<std::string> extra) {
        char dir[] = "/tmp/kelvo-sim-test-XXXXXX";
        if (!mkdtemp(dir))
            return;
        Dir = dir;
        Link = Dir + "/link";
        int out[2];
        if (pipe(out) != 0)
            return;
        std::vector<std::string> args{KELVO_SIM_PATH, "--link", Link};
        args.insert(args.end(), extra.begin(), extra.end());
        Pid = fork();
        if (Pid == 0) {
            dup2(out[1], STDOUT_FILENO);
            close(out[0]);
            close(out[1]);
            std::vector<char*> argv;
            for (std::string& a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        close(out[1]);
        Output = fdopen(out[0], "r");
        char line[512] = {};
        // The simulator announces the link once it can be opened.
        if (Output && std::fgets(line, sizeof line, Output))
            Ready = line;
    }
    ~TSimProcess() {
        if (Pid > 0 && !Stopped)
            Stop();
        if (Output)
            std::fclose(Output);
        if (!Dir.empty())
            rmdir(Dir.c_str());
    }
    int Stop() {
        Stopped = true;
        kill(Pid, SIGTERM);
        int status = 0;
        waitpid(Pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string Dir, Link, Ready;
    pid_t Pid = -1;
    FILE* Output = nullptr;
    bool Stopped = false;
};

bool RunRead(TKelvoStream& s, std::uint16_t address, TBytes& value) {
    TKelvoCommand cmd(s, 0x81, 3);
    cmd.Arg(address);
    for (;;) {
        if (cmd.Send())
            return false;
        value.assign(6, 0);
        const bool complete = s.Read(value.data(), 6) == 6;
        if (!cmd.Finish() && complete)
            return true;
        s.SetBroken(true);
    }
}

TEST(SimOverPty, DownloadsAndReadsThroughTheTerminal) {
    TSimProcess sim({"--baud", "115200"});
    ASSERT_GT(sim.Pid, 0);
    ASSERT_EQ(sim.Ready, "ready " + sim.Link + "\n");

    TKelvoStream s(1, 115200, DevicePathOpener(sim.Link));
    ASSERT_TRUE(s.Open(1, 115200));

    TKelvoCommand download(s, 0x91, 3);
    download.Arg(0xFFFF);
    TBytes records;
    bool done = false;
    while (!done && !download.Send()) {
        records.clear();
        unsigned char chunk[64];
        std::int32_t n = 0;
        do {
            n = s.Read(chunk, sizeof chunk);
            records.insert(records.end(), chunk, chunk + n);
        } while (n == static_cast<std::int32_t>(sizeof chunk));
        done = !download.Finish();
        if (!done)
            s.SetBroken(true);
    }
    ASSERT_TRUE(done);
    EXPECT_GT(records.size(), 500u);

    TBytes value;
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(RunRead(s, 0x0025, value));
        EXPECT_EQ(value[0], 0);
    }
    EXPECT_EQ(s.EndConversation(), 0);

    // Closing and opening the port again works: nothing keeps it locked.
    s.Close();
    ASSERT_TRUE(s.Open(1, 115200));
    ASSERT_TRUE(RunRead(s, 0x0025, value));
    s.Close();

    EXPECT_EQ(sim.Stop(), 0);
    struct stat st;
    EXPECT_NE(lstat(sim.Link.c_str(), &st), 0); // the link is gone
}

} // namespace
