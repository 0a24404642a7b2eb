// The online operation at 115200 baud against the in-process virtual device:
// how long the download of the demonstration dialog takes beside the time its
// bytes need on the line; what one refresh cycle costs this side (the device
// answering at once) beside the line time it waits for on a real line; and
// the text of a full transfer log ring.
#include "common/large_dialog.h"
#include "devicelink/kelvolog.h"
#include "devicelink/protocol.h"
#include "foundation/prompt.h"
#include "online/kelvo_online.h"
#include "online/manual_host.h"
#include "tools/vdevice/demo_dialog.h"
#include "tools/vdevice/virtual_line.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>
#include <sys/prctl.h>
#include <vector>

using namespace kelvo;
using namespace kelvo::bench;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int Baud = 115200;

double Since(Clock::time_point t) {
    return std::chrono::duration<double>(Clock::now() - t).count();
}

double CpuSeconds() {
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

class TQuietPrompt : public TPrompt {
public:
    int Ask(const std::string&, const std::string&, TPromptIcon, TPromptButtons b) override {
        return DefaultAnswer(b);
    }
};

struct TLineCounts {
    long Sent = 0;
    long Received = 0;
    long Writes = 0;
    // The time the bytes need on the line: 10 bit times a byte sent and a
    // reply byte, 11 for each turnaround; the echo travels while sending.
    double Seconds() const { return (10.0 * Received + 11.0 * Writes) / Baud; }
};

class TCountingLine : public TComLine {
public:
    TCountingLine(std::unique_ptr<TComLine> line, TLineCounts& counts)
        : Line(std::move(line)), Counts(counts) {}
    bool Configure(int baud) override { return Line->Configure(baud); }
    bool Purge(bool both) override { return Line->Purge(both); }
    bool SetRts(bool on) override { return Line->SetRts(on); }
    bool SetDtr(bool on) override { return Line->SetDtr(on); }
    long Read(unsigned char* buffer, std::size_t count) override {
        const long n = Line->Read(buffer, count);
        Counts.Received += std::max(n, 0L);
        return n;
    }
    long Write(const unsigned char* buffer, std::size_t count) override {
        const long n = Line->Write(buffer, count);
        Counts.Sent += std::max(n, 0L);
        ++Counts.Writes;
        return n;
    }

private:
    std::unique_ptr<TComLine> Line;
    TLineCounts& Counts;
};

TComLineOpener Counting(TComLineOpener opener, TLineCounts& counts) {
    return [opener, &counts](int port) -> std::unique_ptr<TComLine> {
        auto line = opener(port);
        return line ? std::make_unique<TCountingLine>(std::move(line), counts) : nullptr;
    };
}

class TWindowView : public TOnlineView {
public:
    int TopRow() const override { return 0; }
    int VisibleRows() const override { return Rows; }
    int Rows = 20;
};

void DownloadDemo() {
    double best = 1e9;
    double line = 0;
    for (int run = 0; run < 3; ++run) {
        TLineCounts counts;
        TFileTypeKelvo doc;
        TManualTickSource ticks;
        TKelvoOnline online(doc, &ticks, nullptr, nullptr);
        online.Session().Stream().SetLineOpener(
            Counting(VirtualLineOpener(std::make_shared<TVirtualDevice>(BuiltinDemoDialog()), true),
                     counts));
        const auto t = Clock::now();
        online.GoOnline(ComPort(1), Baud);
        const double seconds = Since(t);
        if (!online.IsOnline())
            std::printf("download of the demonstration dialog failed\n");
        if (seconds < best) {
            best = seconds;
            line = counts.Seconds();
        }
        online.GoOnline(TConnectTarget::Offline, 0);
    }
    std::printf("download of the demonstration dialog: %.1f ms, its bytes need %.1f ms\n",
                best * 1000, line * 1000);
    TableRow("download of the demonstration dialog (in process, paced)",
             Ms(best) + " (line time " + Ms(line) + ")");
}

void RefreshCycle() {
    TLineCounts counts;
    TFileTypeKelvo doc;
    TManualTickSource ticks;
    TWindowView view;
    TKelvoOnline online(doc, &ticks, nullptr, &view);
    online.Session().Stream().SetLineOpener(Counting(
        VirtualLineOpener(std::make_shared<TVirtualDevice>(BuiltinDemoDialog()), false), counts));
    online.GoOnline(ComPort(1), Baud);
    view.Rows = doc.List().GetRowCount();
    constexpr int Cycles = 500;
    // Warm up: the first cycles read every line once.
    for (int i = 0; i < 20; ++i) {
        ticks.Tick();
        bool done = false;
        doc.Idle(nullptr, done);
    }
    // Each cycle on its own in processor time, the median taken: the machine
    // may be busy with other work, and time spent waiting for the processor is
    // nobody's cost here.
    std::vector<double> times;
    const TLineCounts start = counts;
    for (int i = 0; i < Cycles; ++i) {
        ticks.Now += TKelvoOnline::TimerInterval;
        ticks.Tick();
        bool done = false;
        const double t = CpuSeconds();
        doc.Idle(nullptr, done);
        times.push_back(CpuSeconds() - t);
    }
    std::sort(times.begin(), times.end());
    const double cycle = times[times.size() / 2];
    // The stream waits until its own bytes have left (it cannot see when the
    // last stop bit is out); that wait is line time, not this side's cost.
    const double sending =
        (10.0 * double(counts.Sent - start.Sent) + 11.0 * double(counts.Writes - start.Writes)) /
        Baud / Cycles;
    TLineCounts used;
    used.Received = counts.Received - start.Received;
    used.Writes = counts.Writes - start.Writes;
    const double line = used.Seconds() / Cycles;
    const double own = std::max(0.0, cycle - sending);
    std::printf("refresh cycle (%d rows visible): %.3f ms with a device answering at once, "
                "%.3f ms of it waiting for its own bytes to leave; own cost %.3f ms, "
                "line time %.2f ms\n",
                view.Rows, cycle * 1000, sending * 1000, own * 1000, line * 1000);
    char text[96];
    std::snprintf(text, sizeof text, "%.3f ms own, %.2f ms line time", own * 1000, line * 1000);
    TableRow("one refresh cycle (all demo rows visible)", text);
}

void RenderFullRing() {
    TKelvoLogger log;
    // Typical exchanges: READY, a read of a line and its answer frame, FINIS.
    const unsigned char ready[] = {CodeReady};
    const unsigned char read[] = {CodeStart, 0x03, 0x81, 0x25, 0x00, 0x12, 0x34, 0x56};
    const unsigned char answer[] = {CodeStart, 0x09, 0x81, 0x25, 0x00, 0x00, 0x00,
                                    0xF4,      0x01, 0x00, 0x00, 0xAB, 0xCD, 0xEF};
    const unsigned char finis[] = {CodeFinis};
    int added = 0;
    for (; added < 10000; added += 3) {
        TKelvoLog h;
        h.TimeStamp = std::int64_t(added) * 12345;
        h.Sent = h.Echoed = h.Replied = 1;
        log.Add(h, ready, ready, ready);
        h.Sent = h.Echoed = sizeof read;
        h.Replied = sizeof answer;
        log.Add(h, read, read, answer);
        h.Sent = h.Echoed = 1;
        h.Replied = 1;
        log.Add(h, finis, finis, ready);
    }
    double best = 1e9;
    std::size_t size = 0;
    for (int run = 0; run < 5; ++run) {
        const auto t = Clock::now();
        size = log.Render().size();
        best = std::min(best, Since(t));
    }
    std::printf("log render of a full ring: %d records, %zu characters, %.2f ms\n", log.Count(),
                size, best * 1000);
    TableRow("log rendering of a full ring (" + std::to_string(log.Count()) + " records)", Ms(best),
             "<= 10 ms", best <= 0.010);
}

} // namespace

int main() {
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    TQuietPrompt quiet;
    TPromptScope scope(quiet);
    DownloadDemo();
    RefreshCycle();
    RenderFullRing();
    return 0;
}
