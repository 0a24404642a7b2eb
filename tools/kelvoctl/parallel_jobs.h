#pragma once
// Jobs on several devices at once: the devices named on the command line,
// one thread per device, and standard error kept readable while they run.
#include <functional>
#include <string>
#include <vector>

namespace kelvo::ctl {

// The devices a command line names: every "--device PATH" and every
// "--port N" or "--port A-B" (a range of COM ports), in order. Error is set
// for a port or range outside 1..255.
struct TDeviceList {
    std::vector<std::string> Devices; // "--device" paths
    std::vector<int> Ports;           // COM numbers
    std::vector<std::string> Rest;    // the other arguments
    std::string Error;
    std::size_t Count() const { return Devices.size() + Ports.size(); }
};
TDeviceList SplitDevices(const std::vector<std::string>& args);

// A job's exit status and its summary ("programmed", "unchanged", ...).
struct TJobResult {
    int Exit = 0;
    std::string Held;
};

// The worse of two exit statuses: an interrupt, then a failure (2), a file
// or log not written (1), declined (3), success.
int WorseExit(int a, int b);

// Runs each job on its own thread and waits for all. Every line a job writes
// to std::cerr is prefixed with its label and written whole.
std::vector<TJobResult> RunSideBySide(const std::vector<std::string>& labels,
                                      const std::vector<std::function<TJobResult()>>& jobs);

} // namespace kelvo::ctl
