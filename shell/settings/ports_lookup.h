#pragma once
// COM port numbers to device paths, from the INI file's section "Ports":
//     [Ports]
//     COM1=/dev/ttyUSB0
// A port without an entry keeps the device link's default, /dev/ttyS(n-1).
#include "devicelink/serialline.h"

#include <map>
#include <string>

namespace kelvo {

// The entries "COM<n>" (n from 1 to 255, letter case of "COM" ignored as INI
// keys are) with a non-empty path. A missing file or section gives none.
std::map<int, std::string> ReadPortsSection(const std::string& iniFile);

// A lookup answering from ports, else with the default name.
TPortNameLookup PortsLookup(std::map<int, std::string> ports);

// Reads the section once and installs its lookup in the device link; returns
// the number of ports the file maps.
int InstallPortsLookup(const std::string& iniFile);

} // namespace kelvo
