#include "tools/kelvoctl/progress.h"

#include <atomic>
#include <cstdio>
#include <unistd.h>

namespace kelvo::ctl {

namespace {

// At most one progress line exists at a time.
std::atomic<bool> LineShown{false};
// Jobs running side by side on several devices draw none.
thread_local bool Quiet = false;

constexpr auto RedrawInterval = std::chrono::milliseconds(100);

std::string Bytes(std::int64_t n) {
    char text[32];
    if (n < 10000)
        std::snprintf(text, sizeof text, "%lld bytes", static_cast<long long>(n));
    else
        std::snprintf(text, sizeof text, "%.1f kB", static_cast<double>(n) / 1000.0);
    return text;
}

} // namespace

void ClearProgressLine() {
    if (!LineShown)
        return;
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
    LineShown = false;
}

bool TProgress::Wanted() {
    return !Quiet && ::isatty(STDERR_FILENO) == 1;
}

void QuietProgressInThisThread() {
    Quiet = true;
}

TProgress::TProgress(const TLinkWatch& watch, const TKelvoStream& stream, std::string what,
                     std::function<std::string()> lines)
    : FWatch(watch), FStream(stream), FWhat(std::move(what)), FLines(std::move(lines)),
      FStart(std::chrono::steady_clock::now()), FLastDraw(FStart) {}

TProgress::~TProgress() {
    ClearProgressLine();
}

std::string TProgress::Text() const {
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - FStart).count();
    char time[32];
    std::snprintf(time, sizeof time, "%.1f s", seconds);
    std::string text = FWhat + ": ";
    if (FLines)
        text += FLines() + ", ";
    text += Bytes(FWatch.BytesSent() + FWatch.BytesReceived()) + ", " + time;
    text += ", " + std::to_string(FStream.FailedExchanges()) + " retries";
    text += ", " + std::to_string(FWatch.BusyAnswers()) + " busy";
    return text;
}

void TProgress::Update() {
    if (!Wanted())
        return;
    const auto now = std::chrono::steady_clock::now();
    if (LineShown && now - FLastDraw < RedrawInterval)
        return;
    FLastDraw = now;
    std::fprintf(stderr, "\r\033[K%s", Text().c_str());
    std::fflush(stderr);
    LineShown = true;
}

} // namespace kelvo::ctl
