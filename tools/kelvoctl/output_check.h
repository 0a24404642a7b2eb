#pragma once
// Files kelvoctl writes (a downloaded data file, a transfer log) are checked
// before the device is talked to, so that a long job is not done for nothing.
#include <string>

namespace kelvo::ctl {

// The extensions a data file may have, as the help lists them.
const char* DataFileExtensions();

// Why a file cannot be written at path, or empty when it can: its directory
// must exist and be writable, an existing file there must be writable (and
// for a data file a regular file), and a data file needs one of the data
// file extensions.
std::string CheckOutputPath(const std::string& path, bool dataFile);

} // namespace kelvo::ctl
