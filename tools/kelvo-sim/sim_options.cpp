#include "tools/kelvo-sim/sim_options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace kelvo {

namespace {

// An adapter's latency timer goes up to 255 ms; anything near a second is a
// typing error.
constexpr int MaxLatencyMs = 1000;

bool ParseCount(const char* text, int minimum, int& value) {
    errno = 0;
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || v < minimum || v > 1'000'000'000L)
        return false;
    value = static_cast<int>(v);
    return true;
}

} // namespace

const char* SimUsage() {
    return "usage: kelvo-sim --link PATH [--dialog FILE] [--baud N] [--pace] [OPTION...]\n";
}

const char* SimHelp() {
    return "usage: kelvo-sim --link PATH [--dialog FILE] [--baud N] [--pace]\n"
           "                 [--answer-mode frame|conti] [--trace FILE]\n"
           "                 [--busy N] [--drop-every K] [--corrupt-every K] [--silent-after N]\n"
           "                 [--latency MS]\n"
           "\n"
           "A virtual Kelvo device on a pseudo-terminal; prints \"ready PATH\" when it\n"
           "serves and stops on SIGTERM or SIGINT.\n"
           "\n"
           "  --link PATH              make PATH a link to the terminal the PC side opens\n"
           "                           (refused while another kelvo-sim serves PATH)\n"
           "  --dialog FILE            serve the dialog of a data file (default: built-in demo)\n"
           "  --baud N                 the line's rate, for --pace (default 115200)\n"
           "  --pace                   release reply bytes at the pace of the baud rate\n"
           "  --answer-mode frame|conti  answer a command at once in a frame, or after CONTI\n"
           "  --trace FILE             append a line per PC message and per reply to FILE\n"
           "  --busy N                 answer REPWT to the first N messages of a conversation\n"
           "  --drop-every K           lose the echo and answer of every K-th message\n"
           "  --corrupt-every K        flip a bit in the CRC of every K-th reply frame\n"
           "  --silent-after N         answer nothing, echo included, after N messages\n"
           "  --latency MS             hold echo and replies until MS ms after the first\n"
           "                           held byte, as a USB serial adapter does (0 to 1000)\n"
           "  --help                   show this help\n"
           "  --version                show the version\n";
}

std::string ParseSimOptions(int argc, char** argv, TSimOptions& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--pace") {
            options.Pace = true;
            continue;
        }
        if (i + 1 >= argc)
            return arg.rfind("--", 0) == 0 ? arg + " needs a value" : "unexpected argument " + arg;
        const char* value = argv[++i];
        int* count = nullptr;
        int minimum = 0;
        if (arg == "--link") {
            options.Link = value;
        } else if (arg == "--dialog") {
            options.DialogFile = value;
        } else if (arg == "--trace") {
            options.TraceFile = value;
        } else if (arg == "--answer-mode") {
            if (std::strcmp(value, "frame") == 0)
                options.Device.AnswerMode = TAnswerMode::Frame;
            else if (std::strcmp(value, "conti") == 0)
                options.Device.AnswerMode = TAnswerMode::Conti;
            else
                return "--answer-mode takes frame or conti";
        } else if (arg == "--baud") {
            count = &options.Baud;
            minimum = 1;
        } else if (arg == "--busy") {
            count = &options.Device.Busy;
        } else if (arg == "--drop-every") {
            count = &options.Device.DropEvery;
            minimum = 1;
        } else if (arg == "--corrupt-every") {
            count = &options.Device.CorruptEvery;
            minimum = 1;
        } else if (arg == "--silent-after") {
            count = &options.Device.SilentAfter;
        } else if (arg == "--latency") {
            count = &options.LatencyMs;
        } else {
            return "unknown option " + arg;
        }
        if (count && !ParseCount(value, minimum, *count))
            return arg + " takes a number of at least " + std::to_string(minimum);
        if (count == &options.LatencyMs && options.LatencyMs > MaxLatencyMs)
            return arg + " takes at most " + std::to_string(MaxLatencyMs) + " ms";
    }
    if (options.Link.empty())
        return "--link PATH is required";
    return {};
}

} // namespace kelvo
