#pragma once
// A report file written in one piece: through a temporary file beside it,
// synced, that takes the name only when complete. A failed write leaves
// neither a partial file nor a changed old one. Plain C++ and POSIX.
#include <string>

namespace kelvo {

// Writes text to path (a symbolic link is followed; an existing file keeps
// its permissions). Empty on success, else why it failed ("No space left on
// device.", "It is a folder.").
std::string WriteWholeFile(const std::string& path, const std::string& text);

} // namespace kelvo
