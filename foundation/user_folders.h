#pragma once
// The user's base folders after the XDG base directory rules: the variable's
// value when it is an absolute path, else the usual place below $HOME.
#include <string>

namespace kelvo {

// UserFolder("XDG_DATA_HOME", ".local/share") is ~/.local/share unless
// XDG_DATA_HOME names another absolute folder. Without a HOME: below ".".
std::string UserFolder(const char* variable, const char* belowHome);

} // namespace kelvo
