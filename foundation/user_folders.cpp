#include "foundation/user_folders.h"

#include <cstdlib>

namespace kelvo {

std::string UserFolder(const char* variable, const char* belowHome) {
    // Relative values are to be ignored, as the base directory rules say.
    const char* value = std::getenv(variable);
    if (value && value[0] == '/')
        return value;
    const char* home = std::getenv("HOME");
    return std::string(home && home[0] ? home : ".") + "/" + belowHome;
}

} // namespace kelvo
