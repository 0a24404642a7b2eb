#pragma once
// kelvo-sim as a child of a benchmark: started on a link in a fresh
// temporary folder, ready once it has said so, stopped with SIGTERM.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace kelvo::bench {

class TSimChild {
public:
    // extra: the options after --link.
    TSimChild(const std::string& binary, const std::vector<std::string>& extra) {
        char dir[] = "/tmp/kelvo-bench-XXXXXX";
        if (!mkdtemp(dir))
            return;
        Dir = dir;
        Link = Dir + "/link";
        int out[2];
        if (pipe(out) != 0)
            return;
        FPid = fork();
        if (FPid == 0) {
            dup2(out[1], STDOUT_FILENO);
            close(out[0]);
            close(out[1]);
            std::vector<std::string> args{binary, "--link", Link};
            args.insert(args.end(), extra.begin(), extra.end());
            std::vector<char*> argv;
            for (std::string& a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(binary.c_str(), argv.data());
            _exit(127);
        }
        close(out[1]);
        FOutput = fdopen(out[0], "r");
        char line[512] = {};
        FReady = FPid > 0 && FOutput && std::fgets(line, sizeof line, FOutput);
    }
    ~TSimChild() {
        if (FPid > 0) {
            kill(FPid, SIGTERM);
            waitpid(FPid, nullptr, 0);
        }
        if (FOutput)
            std::fclose(FOutput);
        if (!Dir.empty())
            rmdir(Dir.c_str());
    }
    TSimChild(const TSimChild&) = delete;
    TSimChild& operator=(const TSimChild&) = delete;

    bool Ready() const { return FReady; }
    std::string Dir;
    std::string Link;

private:
    pid_t FPid = -1;
    std::FILE* FOutput = nullptr;
    bool FReady = false;
};

} // namespace kelvo::bench
