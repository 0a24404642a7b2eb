// The online operation over a pseudo-terminal against kelvo-sim --pace at
// 115200 baud, as the program meets a real device: the download of the
// demonstration dialog behind USB serial adapters of 0, 2 and 16 ms latency,
// and the share of a processor core that one online document takes while its
// rows refresh.
#include "common/large_dialog.h"
#include "common/sim_child.h"
#include "devicelink/serialline.h"
#include "foundation/prompt.h"
#include "online/kelvo_online.h"
#include "online/manual_host.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>
#include <thread>

using namespace kelvo;
using namespace kelvo::bench;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int Baud = 115200;

class TQuietPrompt : public TPrompt {
public:
    int Ask(const std::string&, const std::string&, TPromptIcon, TPromptButtons b) override {
        return DefaultAnswer(b);
    }
};

class TWindowView : public TOnlineView {
public:
    int TopRow() const override { return 0; }
    // About what the editor window shows at its designed size.
    int VisibleRows() const override { return 20; }
};

struct TDownload {
    double Seconds = 0;
    int Exchanges = 0;
    bool Done = false;
};

// The best of three go-onlines of an empty document (download and the first
// reading of every line).
TDownload Download(const std::string& link) {
    TDownload best;
    best.Seconds = 1e9;
    for (int run = 0; run < 3; ++run) {
        TFileTypeKelvo doc;
        TManualTickSource ticks;
        TKelvoOnline online(doc, &ticks, nullptr, nullptr);
        online.Session().Stream().SetLineOpener(DevicePathOpener(link));
        const auto t = Clock::now();
        online.GoOnline(ComPort(1), Baud);
        const double seconds = std::chrono::duration<double>(Clock::now() - t).count();
        if (online.IsOnline() && seconds < best.Seconds) {
            best.Seconds = seconds;
            best.Exchanges = online.Session().Stream().GoodExchanges() +
                             online.Session().Stream().FailedExchanges();
            best.Done = true;
        }
        online.GoOnline(TConnectTarget::Offline, 0);
    }
    return best;
}

void DownloadBehindAdapters() {
    double plain = 0;
    for (const int latency : {0, 2, 16}) {
        TSimChild sim(KELVO_SIM_PATH, {"--pace", "--latency", std::to_string(latency)});
        const std::string what =
            "download of the demo dialog over a pty, latency " + std::to_string(latency) + " ms";
        const TDownload d = sim.Ready() ? Download(sim.Link) : TDownload{};
        if (!d.Done) {
            TableRow(what, "failed", "completes", 0);
            continue;
        }
        if (latency == 0)
            plain = d.Seconds;
        // Behind an adapter every exchange waits for its latency timer once;
        // the stream may wait a byte gap more before it knows the answer is in.
        const double limit = plain + d.Exchanges * (latency + 2) / 1000.0;
        char measured[96];
        std::snprintf(measured, sizeof measured, "%s, %d exchanges, ratio %.2f",
                      Ms(d.Seconds).c_str(), d.Exchanges, plain > 0 ? d.Seconds / plain : 0.0);
        std::printf("%s: %s\n", what.c_str(), measured);
        if (latency == 0)
            TableRow(what, measured, "completes", 1);
        else
            TableRow(what, measured, "<= " + Ms(limit) + " (plain + (latency + 2 ms) each)",
                     d.Seconds <= limit);
    }
}

// Online for 10 s with the timer of the program: a tick every 110 ms, the
// idle work after each, the thread asleep in between as in the event loop.
void ProcessorShareOnline() {
    TSimChild sim(KELVO_SIM_PATH, {"--pace"});
    const std::string what = "processor share of one online document (10 s of refresh, pty)";
    if (!sim.Ready()) {
        TableRow(what, "kelvo-sim did not start", "<= 1%", 0);
        return;
    }
    TFileTypeKelvo doc;
    TManualTickSource ticks;
    TWindowView view;
    TKelvoOnline online(doc, &ticks, nullptr, &view);
    online.Session().Stream().SetLineOpener(DevicePathOpener(sim.Link));
    online.GoOnline(ComPort(1), Baud);
    if (!online.IsOnline()) {
        TableRow(what, "could not go online", "<= 1%", 0);
        return;
    }
    const auto begin = Clock::now();
    const double cpu = ProcessCpuSeconds();
    const int good = online.Session().Stream().GoodExchanges();
    auto next = begin;
    while (Clock::now() - begin < std::chrono::seconds(10)) {
        next += std::chrono::milliseconds(TKelvoOnline::TimerInterval);
        ticks.Now += TKelvoOnline::TimerInterval;
        ticks.Tick();
        bool done = false;
        doc.Idle(nullptr, done);
        std::this_thread::sleep_until(next);
    }
    const double wall = std::chrono::duration<double>(Clock::now() - begin).count();
    const double share = (ProcessCpuSeconds() - cpu) / wall;
    char measured[96];
    std::snprintf(measured, sizeof measured, "%.2f%% (%d exchanges)", share * 100,
                  online.Session().Stream().GoodExchanges() - good);
    std::printf("%s: %s\n", what.c_str(), measured);
    TableRow(what, measured, "<= 1%", share <= 0.01);
}

} // namespace

int main() {
    TQuietPrompt quiet;
    TPromptScope scope(quiet);
    DownloadBehindAdapters();
    ProcessorShareOnline();
    return 0;
}
