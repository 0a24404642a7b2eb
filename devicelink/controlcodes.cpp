#include "devicelink/controlcodes.h"

namespace kelvo {

const char* ControlCodeName(std::uint8_t code) {
    switch (code) {
    case CodeStart:
        return "START";
    case CodeFinis:
        return "FINIS";
    case CodeConti:
        return "CONTI";
    case CodeRepim:
        return "REPIM";
    case CodeRepwt:
        return "REPWT";
    case CodeAbort:
        return "ABORT";
    case CodeReady:
        return "READY";
    default:
        return "Undefined";
    }
}

} // namespace kelvo
