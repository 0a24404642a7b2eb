#pragma once
// The command line of kelvo-sim.
#include "tools/vdevice/virtual_device.h"

#include <string>

namespace kelvo {

struct TSimOptions {
    std::string Link;
    std::string DialogFile; // empty: the built-in demonstration dialog
    int Baud = 115200;
    bool Pace = false;
    int LatencyMs = 0; // a USB serial adapter's latency timer; 0: a plain line
    std::string TraceFile;
    TVirtualDeviceOptions Device;
};

// Returns an empty text on success, else what is wrong with the command line.
std::string ParseSimOptions(int argc, char** argv, TSimOptions& options);
// The first line of the help: the command line at a glance.
const char* SimUsage();
// Every option, one line each.
const char* SimHelp();

} // namespace kelvo
