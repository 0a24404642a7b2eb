// kelvoctl program on N devices at once against one device alone, each a
// kelvo-sim --pace on a pseudo-terminal: total time / one device's time.
// The goal is close to 1 for N = 4. Run by hand: bench_parallel_program [N].
#include "support/sim_process.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

using kelvo::test::TSimProcess;

int Run(const std::string& line) {
    const int status = std::system((line + " >/dev/null 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Every device gets a value other than the file's, so that each run writes.
bool Detune(const std::vector<std::unique_ptr<TSimProcess>>& sims, int value) {
    for (const auto& sim : sims)
        if (Run(std::string(KELVOCTL_PATH) + " set --device '" + sim->Link +
                "' 0x25=" + std::to_string(value)) != 0)
            return false;
    return true;
}

double Seconds(const std::string& line, int& exit) {
    const auto start = std::chrono::steady_clock::now();
    exit = Run(line);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv) {
    const int n = argc > 1 ? std::atoi(argv[1]) : 4;
    if (n < 1 || n > 32) {
        std::fprintf(stderr, "usage: bench_parallel_program [N from 1 to 32]\n");
        return 64;
    }
    std::vector<std::unique_ptr<TSimProcess>> sims;
    for (int i = 0; i < n; ++i) {
        sims.push_back(std::make_unique<TSimProcess>(KELVO_SIM_PATH));
        if (!sims.back()->Start({"--pace"})) {
            std::printf("kelvo-sim did not start\n");
            return 1;
        }
    }
    // Snapshots go to the first simulator's folder, not the user's.
    ::setenv("XDG_DATA_HOME", sims.front()->Path("data").c_str(), 1);
    const std::string file = sims.front()->Path("demo.dat");
    if (Run(std::string(KELVOCTL_PATH) + " download --device '" + sims.front()->Link + "' -o '" +
            file + "'") != 0) {
        std::printf("the dialog could not be downloaded\n");
        return 1;
    }
    const std::string program = std::string(KELVOCTL_PATH) + " program '" + file + "' --answer yes";
    double one = 1e9;
    double all = 1e9;
    for (int round = 0; round < 3; ++round) {
        int exit = 0;
        if (!Detune(sims, 100 + round))
            return 1;
        const double t1 = Seconds(program + " --device '" + sims.front()->Link + "'", exit);
        if (exit == 0)
            one = std::min(one, t1);
        if (!Detune(sims, 200 + round))
            return 1;
        std::string devices;
        for (const auto& sim : sims)
            devices += " --device '" + sim->Link + "'";
        const double tn = Seconds(program + devices, exit);
        if (exit == 0)
            all = std::min(all, tn);
    }
    if (one > 1e8 || all > 1e8) {
        std::printf("a program run failed\n");
        return 1;
    }
    std::printf("%d devices programmed in parallel: %.3f s, one device: %.3f s, "
                "total time / one device's time %.2f (goal close to 1)\n",
                n, all, one, all / one);
    return 0;
}
