// kelvo-sim: a virtual Kelvo device on a pseudo-terminal.
#include "tools/kelvo-sim/pty_link.h"
#include "tools/kelvo-sim/sim_options.h"
#include "tools/vdevice/demo_dialog.h"
#include "tools/vdevice/paced_output.h"
#include "tools/vdevice/virtual_device.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace kelvo;
using TClock = TPacedOutput::TClock;

namespace {

volatile std::sig_atomic_t StopRequested = 0;

void OnStopSignal(int) {
    StopRequested = 1;
}

// A message that stops arriving half-way is given up only after the line has
// been quiet this long. A PC side may write a frame byte by byte and be held up
// between the bytes on a busy machine; the pause only has to clear a message
// left by a PC program that ended in the middle of writing it.
constexpr auto InputGapTime = std::chrono::milliseconds(500);
// How often a stale exclusive mark is looked for while the line is idle.
constexpr auto HousekeepingTime = std::chrono::milliseconds(20);

// The records are read by the model's dialog line, one after the other as the
// file holds them; a document would expand the repeated groups that the
// device describes once, so the file is not read as a document.
bool LoadDialog(const std::string& path, TSimDialog& dialog) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        std::fprintf(stderr, "kelvo-sim: cannot read %s: it is a directory\n", path.c_str());
        return false;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "kelvo-sim: cannot read %s: %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    const TBytes data{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    std::size_t badOffset = 0;
    auto lines = ReadLineRecords(data, &badOffset);
    if (!lines || lines->empty()) {
        std::fprintf(stderr, "kelvo-sim: %s: %s at byte %zu\n", path.c_str(),
                     lines ? "no line records" : "bad line record", badOffset);
        return false;
    }
    std::string error;
    if (!DialogFromRecords(std::move(*lines), dialog, error)) {
        std::fprintf(stderr, "kelvo-sim: %s: %s\n", path.c_str(), error.c_str());
        return false;
    }
    return true;
}

void WriteAll(int fd, const unsigned char* data, std::size_t count) {
    while (count > 0) {
        const ssize_t n = ::write(fd, data, count);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return; // nobody reads the line: the bytes are lost, as on a real one
        data += n;
        count -= static_cast<std::size_t>(n);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(SimHelp(), stdout);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("kelvo-sim %s\n", KELVO_VERSION);
        return 0;
    }
    TSimOptions options;
    const std::string error = ParseSimOptions(argc, argv, options);
    if (!error.empty()) {
        std::fprintf(stderr, "kelvo-sim: %s\n%sTry 'kelvo-sim --help' for more.\n", error.c_str(),
                     SimUsage());
        return 2;
    }
    TSimDialog dialog;
    if (options.DialogFile.empty())
        dialog = BuiltinDemoDialog();
    else if (!LoadDialog(options.DialogFile, dialog))
        return 1;

    TVirtualDevice device(std::move(dialog), options.Device);
    std::FILE* trace = nullptr;
    if (!options.TraceFile.empty()) {
        trace = std::fopen(options.TraceFile.c_str(), "a");
        if (!trace) {
            std::perror(options.TraceFile.c_str());
            return 1;
        }
        std::setvbuf(trace, nullptr, _IOLBF, 0);
        device.SetTraceSink(
            [trace](const std::string& line) { std::fprintf(trace, "%s\n", line.c_str()); });
    }

    // The stop signals are only let through while waiting, so none is missed.
    sigset_t stopSignals, waitMask;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    sigprocmask(SIG_BLOCK, &stopSignals, &waitMask);
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    int result = 0;
    {
        TPtyLink pty;
        std::string openError;
        if (!pty.Open(options.Link, openError)) {
            std::fprintf(stderr, "kelvo-sim: %s\n", openError.c_str());
            if (trace)
                std::fclose(trace);
            return 1;
        }
        std::printf("ready %s\n", options.Link.c_str());
        std::fflush(stdout);

        TPacedOutput output;
        output.SetBaud(options.Baud);
        output.SetLatency(std::chrono::milliseconds(options.LatencyMs));
        auto lastInput = TClock::now();
        unsigned char buffer[512];
        while (!StopRequested) {
            auto now = TClock::now();
            auto wake = now + HousekeepingTime;
            if (!output.Empty())
                wake = std::min(wake, output.NextArrival());
            if (device.ReceivingMessage())
                wake = std::min(wake, lastInput + InputGapTime);
            const auto wait = std::max<TClock::duration>(wake - now, TClock::duration::zero());
            timespec timeout{};
            timeout.tv_sec = std::chrono::duration_cast<std::chrono::seconds>(wait).count();
            timeout.tv_nsec = (wait - std::chrono::seconds(timeout.tv_sec)).count();
            pollfd pfd{pty.Master(), POLLIN, 0};
            const int ready = ::ppoll(&pfd, 1, &timeout, &waitMask);
            if (ready < 0 && errno != EINTR) {
                std::perror("kelvo-sim: ppoll");
                result = 1;
                break;
            }
            now = TClock::now();
            if (ready > 0 && (pfd.revents & POLLIN)) {
                const ssize_t n = ::read(pty.Master(), buffer, sizeof buffer);
                if (n > 0) {
                    // Bytes that are here continue the message however late they
                    // are read: the simulator may have been the one held up.
                    lastInput = now;
                    const TBytes out = device.Feed(buffer, static_cast<std::size_t>(n));
                    if (options.Pace)
                        output.Push(out, now);
                    else
                        output.PushNow(out, now);
                }
            } else if (ready > 0) {
                // A hang-up cannot last while the simulator holds the terminal
                // itself; do not spin if it happens anyway.
                ::usleep(10000);
            }
            if (ready == 0 && device.ReceivingMessage() && now - lastInput >= InputGapTime)
                device.InputGap();
            const std::size_t readyBytes = output.Take(buffer, sizeof buffer, now, options.Pace);
            if (readyBytes > 0)
                WriteAll(pty.Master(), buffer, readyBytes);
            pty.LiftStaleExclusiveMark();
        }
    }
    if (trace)
        std::fclose(trace);
    return result;
}
