#pragma once
// kelvo-sim as a child process: started on a link in a fresh temporary folder,
// waited for until it announces the link ready, stopped with SIGTERM when the
// test is done. Waits are bounded only to keep a broken simulator from hanging
// the test; nothing here measures time.
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace kelvo::test {

class TSimProcess {
public:
    static constexpr int PatienceMs = 10000;

    // Makes the folder; nothing runs before Start.
    explicit TSimProcess(std::string binary) : FBinary(std::move(binary)) {
        char dir[] = "/tmp/kelvo-sim-test-XXXXXX";
        if (::mkdtemp(dir)) {
            Dir = dir;
            Link = Dir + "/link";
        }
    }
    ~TSimProcess() {
        Stop();
        if (!Dir.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(Dir, ignored);
        }
    }
    TSimProcess(const TSimProcess&) = delete;
    TSimProcess& operator=(const TSimProcess&) = delete;

    // Runs "kelvo-sim --link Link extra..." with its standard error going to a
    // file in the folder; true once it has announced "ready Link".
    bool Start(const std::vector<std::string>& extra = {}) {
        if (Dir.empty() || FPid > 0)
            return false;
        int out[2];
        if (::pipe(out) != 0)
            return false;
        std::vector<std::string> args{FBinary, "--link", Link};
        args.insert(args.end(), extra.begin(), extra.end());
        const std::string errorFile = Path("stderr.txt");
        FPid = ::fork();
        if (FPid == 0) {
            const int err = ::open(errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (err >= 0)
                ::dup2(err, STDERR_FILENO);
            ::dup2(out[1], STDOUT_FILENO);
            ::close(out[0]);
            ::close(out[1]);
            std::vector<char*> argv;
            for (std::string& a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        if (FPid < 0) {
            ::close(out[0]);
            return false;
        }
        Ready = ReadLine(out[0]);
        ::close(out[0]);
        return Ready == "ready " + Link;
    }

    // Asks the simulator to stop (or collects it when it has ended by itself)
    // and returns its exit code; -1 when a signal ended it or nothing ran.
    int Stop() {
        if (FPid <= 0)
            return FExitCode;
        ::kill(FPid, SIGTERM);
        int status = 0;
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(PatienceMs);
        pid_t done = 0;
        while ((done = ::waitpid(FPid, &status, WNOHANG)) == 0 &&
               std::chrono::steady_clock::now() < deadline)
            ::usleep(1000);
        if (done == 0) {
            ::kill(FPid, SIGKILL);
            done = ::waitpid(FPid, &status, 0);
        }
        FPid = -1;
        FExitCode = done > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return FExitCode;
    }

    bool Running() const { return FPid > 0; }
    std::string Path(const std::string& name) const { return Dir + "/" + name; }
    // What the simulator has written on its standard error so far.
    std::string ErrorOutput() const {
        std::ifstream in(Path("stderr.txt"), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::string Dir;
    std::string Link;
    // The first line of standard output, without its line end.
    std::string Ready;

private:
    static std::string ReadLine(int fd) {
        std::string line;
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(PatienceMs);
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd p{fd, POLLIN, 0};
            const int ready = ::poll(&p, 1, static_cast<int>(std::max<long long>(0, left.count())));
            if (ready < 0 && errno == EINTR)
                continue;
            char c;
            if (ready <= 0 || ::read(fd, &c, 1) != 1 || c == '\n')
                return line;
            line += c;
        }
    }

    std::string FBinary;
    pid_t FPid = -1;
    int FExitCode = -1;
};

} // namespace kelvo::test
