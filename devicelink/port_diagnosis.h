#pragma once
// Why a serial device cannot be used, in words a technician can act on: no
// such file, permission denied (with the group to join), in use by another
// program, not a terminal. Empty when nothing is wrong with it.
#include <string>

namespace kelvo {

std::string PortOpenFailureReason(const std::string& path);

} // namespace kelvo
