#pragma once
// kelvoctl run as a program against kelvo-sim on a pseudo-terminal, as a
// user would run it.
#include "support/sim_process.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>

namespace kelvo::test {

// kelvo-sim serving its demonstration device in a temporary folder, and
// kelvoctl run against it.
class KelvoctlOnline : public ::testing::Test {
protected:
    // The simulator's options; a test that wants faults overrides them.
    virtual std::vector<std::string> SimOptions() const { return {}; }
    void SetUp() override {
        ASSERT_TRUE(Sim.Start(SimOptions())) << Sim.Ready << Sim.ErrorOutput();
    }

    struct TRun {
        int Exit = -1;
        std::string Out;
        std::string Err;
    };
    // Runs kelvoctl with the device option added after the command. The link
    // has real time limits: when a heavily loaded machine made an exchange
    // miss them, the command is run again (every command here may be
    // repeated without changing its result).
    TRun Ctl(const std::string& command, const std::string& args) const {
        TRun run;
        for (int attempt = 0; attempt < 4; ++attempt) {
            run = CtlOnce(command, args);
            if (!LinkTimingFailure(run))
                break;
        }
        return run;
    }
    static bool LinkTimingFailure(const TRun& run) {
        if (run.Exit != 2)
            return false;
        for (const char* sign :
             {"Could not connect", "values failed", "Reprogramming failed", "Missing response",
              "reading failed", "writing failed", "reading back failed", "Failed!"})
            if (run.Err.find(sign) != std::string::npos)
                return true;
        return false;
    }
    TRun CtlOnce(const std::string& command, const std::string& args) const {
        return CtlAt("--device '" + Sim.Link + "'", command, args);
    }
    // Runs kelvoctl once with connection options of the test's choice.
    TRun CtlAt(const std::string& connection, const std::string& command,
               const std::string& args) const {
        const std::string out = Sim.Path("out.txt");
        const std::string err = Sim.Path("err.txt");
        const std::string line = std::string(KELVOCTL_PATH) + " " + command + " " + connection +
                                 " " + args + " >'" + out + "' 2>'" + err + "'";
        TRun run;
        const int status = std::system(line.c_str());
        run.Exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.Out = Read(out);
        run.Err = Read(err);
        return run;
    }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    TSimProcess Sim{KELVO_SIM_PATH};
};

} // namespace kelvo::test
