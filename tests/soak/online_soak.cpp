// The online operation against kelvo-sim under faults, for as many minutes as
// asked: rounds of dropped messages and damaged CRCs, busy answers and busy
// storms, a device that falls silent, and a link that is removed and brought
// back, while edits, Program and Reset are requested. It checks that
//  - no cycle hangs (a watchdog ends the run),
//  - a silent device or a removed link takes the document offline with the
//    message, within a few cycles,
//  - an edit still pending when the document goes offline stays in the
//    document and is offered to the device again at the next go-online,
//  - a data file saved afterwards loads back equal,
// and prints one line of counts at the end. Exit status 0 when all held.
#include "devicelink/protocol.h"
#include "devicelink/serialline.h"
#include "foundation/filetype/fileaccess.h"
#include "foundation/prompt.h"
#include "model/dlglinevalue.h"
#include "model/kelvofile.h"
#include "online/kelvo_online.h"
#include "online/manual_host.h"
#include "support/sim_process.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

using namespace kelvo;
using TEntry = TFileTypeKelvo::TEntry;

namespace {

constexpr unsigned WatchdogSeconds = 120;

struct TCounts {
    long Exchanges = 0;
    long Failed = 0;
    long Retries = 0;
    long EditsWritten = 0;
    long EditsRefused = 0; // still pending when the document went offline
    long Offline = 0;
    long OfflineMessages = 0;
    long Rounds = 0;
    long Programs = 0;
    long Resets = 0;
    long Faults = 0; // broken expectations
};

TCounts Counts;

void Fault(const std::string& what) {
    ++Counts.Faults;
    std::fprintf(stderr, "soak: FAULT: %s\n", what.c_str());
}

// Answers every box as a user who wants the device to hold the document's
// values: Yes to writing old data, OK to messages.
class TSoakPrompt : public TPrompt {
public:
    int Ask(const std::string& caption, const std::string& text, TPromptIcon,
            TPromptButtons buttons) override {
        if (text.find("Missing response from KELVO Device") != std::string::npos)
            ++MissingResponse;
        if (text.find("different") != std::string::npos)
            ++OfferedToWrite;
        Last = caption + ": " + text;
        switch (buttons) {
        case TPromptButtons::YesNo:
        case TPromptButtons::YesNoCancel:
            return IdYes;
        case TPromptButtons::RetryCancel:
            return IdCancel;
        case TPromptButtons::AbortRetryIgnore:
            return IdIgnore;
        default:
            return IdOk;
        }
    }
    int MissingResponse = 0;
    int OfferedToWrite = 0;
    std::string Last;
};

class TSoakView : public TOnlineView {
public:
    explicit TSoakView(TFileTypeKelvo& doc) : Doc(doc) {}
    int TopRow() const override { return 0; }
    int VisibleRows() const override { return Doc.List().GetRowCount(); }

private:
    TFileTypeKelvo& Doc;
};

// Counts the exchanges the stream made since the last look. A retry is a
// message sent again: one after an exchange that got no good answer or a busy
// answer, and every REPIM.
class TExchangeCounter {
public:
    explicit TExchangeCounter(const TKelvoStream& s) : S(s) {}
    void Update() {
        const long total = long(S.GoodExchanges()) + S.FailedExchanges();
        const long fresh = total - Seen;
        if (fresh <= 0)
            return;
        Counts.Exchanges += fresh;
        Counts.Failed += long(S.FailedExchanges()) - SeenFailed;
        Seen = total;
        SeenFailed = S.FailedExchanges();
        // The newest records are the fresh ones (as far as the ring kept them).
        const long records = S.Log().Count();
        long index = 0;
        S.Log().ForEach([&](const unsigned char* payload, std::int32_t length) {
            if (index++ < records - fresh || length < TKelvoLog::Size)
                return;
            const TKelvoLog h = TKelvoLog::Load(payload);
            if (h.Sent <= 0 || h.Echoed < 0 || h.Replied < 0 ||
                TKelvoLog::Size + std::int64_t(h.Sent) + h.Echoed + h.Replied > length)
                return;
            const unsigned char* sent = payload + TKelvoLog::Size;
            const unsigned char* reply = sent + h.Sent + h.Echoed;
            if (AgainExpected || (h.Sent == 1 && sent[0] == CodeRepim))
                ++Counts.Retries;
            AgainExpected = h.ComResult != 0 || (h.Replied == 1 && reply[0] == CodeRepwt);
        });
    }
    // A new stream session: its counters start again.
    void Restart() { Seen = SeenFailed = 0; }

private:
    const TKelvoStream& S;
    long Seen = 0;
    long SeenFailed = 0;
    bool AgainExpected = false;
};

void Watchdog(int) {
    const char text[] = "soak: FAULT: a cycle hung (watchdog)\n";
    (void)!::write(STDERR_FILENO, text, sizeof text - 1);
    ::_exit(3);
}

std::string ValueText(const TEntry& e) {
    return e.Value ? e.Value->GetText() : std::string();
}

bool SameEntries(const TFileTypeKelvo& a, const TFileTypeKelvo& b) {
    if (a.Entries.Count() != b.Entries.Count())
        return false;
    auto j = b.Entries.begin();
    for (const TEntry& e : a.Entries) {
        const TEntry& f = *j++;
        if (e.Address != f.Address || e.Flags != f.Flags || e.Layout != f.Layout ||
            e.IndexI != f.IndexI || e.GetText(0) != f.GetText(0) || ValueText(e) != ValueText(f))
            return false;
    }
    return true;
}

// The fault options of a round, in turn; the kinds that end online work come
// first, so that even a short run sees them.
enum TRoundKind { Silence, LinkRemoved, DropsAndCrcs, Busy, BusyStorm, RoundKinds };

std::vector<std::string> RoundFaults(TRoundKind kind, std::mt19937& random) {
    switch (kind) {
    case Silence: // the device falls silent at some point
        return {"--silent-after", std::to_string(300 + random() % 1500), "--drop-every",
                std::to_string(10 + random() % 10)};
    case LinkRemoved: // a clean device whose link goes in the middle of the round
        return {};
    case DropsAndCrcs:
        return {"--drop-every", std::to_string(5 + random() % 10), "--corrupt-every",
                std::to_string(4 + random() % 10)};
    case Busy:
        return {"--busy", std::to_string(1 + random() % 6), "--corrupt-every",
                std::to_string(6 + random() % 10)};
    default: // a busy storm, at times longer than a message waits through
        return {"--busy", std::to_string(60 + random() % 60)};
    }
}

} // namespace

int main(int argc, char** argv) {
    const double minutes = argc > 1 ? std::atof(argv[1]) : 1.0;
    const std::string sim = argc > 2 ? argv[2] : KELVO_SIM_PATH;
    std::signal(SIGALRM, Watchdog);
    std::mt19937 random(argc > 3 ? unsigned(std::atol(argv[3])) : 20261208u);

    TSoakPrompt prompt;
    TPromptScope promptScope(prompt);
    TFileTypeKelvo::SetLastComPort(0);
    TFileTypeKelvo doc;
    TManualTickSource ticks;
    TPlainCloseLock lock;
    TSoakView view(doc);
    TKelvoOnline online(doc, &ticks, &lock, &view);
    TKelvoSession& session = online.Session();
    TExchangeCounter exchanges(session.Stream());

    test::TSimProcess device(sim);
    session.Stream().SetLineOpener(DevicePathOpener(device.Link));

    const auto end = std::chrono::steady_clock::now() +
                     std::chrono::milliseconds(static_cast<long>(minutes * 60000));
    while (std::chrono::steady_clock::now() < end) {
        const long round = Counts.Rounds++;
        const auto kind = TRoundKind(round % RoundKinds);
        if (!device.Start(RoundFaults(kind, random))) {
            Fault("kelvo-sim did not start: " + device.ErrorOutput());
            break;
        }
        // Going online may fail under faults; a user tries again.
        for (int attempt = 0; attempt < 5 && !online.IsOnline(); ++attempt) {
            ::alarm(WatchdogSeconds);
            exchanges.Restart();
            online.GoOnline(ComPort(1), 0);
            exchanges.Update();
        }
        if (!online.IsOnline()) {
            device.Stop();
            continue;
        }
        // A storm makes every cycle long: fewer of them.
        const int cycles = kind == BusyStorm ? 12 : 30 + int(random() % 90);
        const int removeAt = kind == LinkRemoved ? int(random() % cycles) : -1;
        bool removed = false;
        int quietCycles = 0;
        for (int cycle = 0;
             cycle < cycles && online.IsOnline() && std::chrono::steady_clock::now() < end;
             ++cycle) {
            if (cycle == removeAt) {
                device.Stop(); // the link is gone
                removed = true;
            }
            // Now and then the user edits a value or asks for Program or Reset.
            const unsigned what = random() % 40;
            if (what < 4 && !session.PendingEntry) {
                std::vector<TEntry*> editable;
                for (TEntry& e : doc.Entries)
                    if (e.Value && e.Kind() == KindLong && e.IsEditable() && !e.IsLive() &&
                        !doc.HoldsGroupCount(e))
                        editable.push_back(&e);
                if (!editable.empty()) {
                    TPtr<TEntry> edit(new TEntry(*editable[random() % editable.size()]));
                    edit->Value->SetLong(std::int32_t(random() % 1000));
                    session.PendingEntry = std::move(edit);
                }
            } else if (what == 4 && session.DeviceRequest == TDeviceRequest::None) {
                online.RequestDeviceCommand(TDeviceRequest::Program);
                ++Counts.Programs;
            } else if (what == 5 && session.DeviceRequest == TDeviceRequest::None) {
                online.RequestDeviceCommand(TDeviceRequest::Reset);
                ++Counts.Resets;
            }

            // The edit the user is waiting for, by value.
            const bool pendingBefore = bool(session.PendingEntry);
            std::uint16_t editAddress = 0;
            int editInstance = 0;
            std::string editValue;
            if (pendingBefore) {
                editAddress = session.PendingEntry->Address;
                editInstance = session.PendingEntry->IndexI;
                editValue = ValueText(*session.PendingEntry);
            }
            const long missingBefore = prompt.MissingResponse;
            const long goodBefore = session.Stream().GoodExchanges();

            ::alarm(WatchdogSeconds);
            ticks.Now += TKelvoOnline::TimerInterval;
            ticks.Tick();
            bool done = false;
            doc.Idle(nullptr, done);
            exchanges.Update();

            if (pendingBefore && !session.PendingEntry && online.IsOnline())
                ++Counts.EditsWritten;
            quietCycles = session.Stream().GoodExchanges() == goodBefore ? quietCycles + 1 : 0;
            if (!online.IsOnline()) {
                ++Counts.Offline;
                if (prompt.MissingResponse == missingBefore)
                    Fault("offline without the message; last box: " + prompt.Last);
                else
                    ++Counts.OfflineMessages;
                if (pendingBefore) {
                    // Not written: it must be in the document, not lost.
                    ++Counts.EditsRefused;
                    bool kept = false;
                    for (const TEntry& e : doc.Entries)
                        if (e.Address == editAddress && e.IndexI == editInstance && e.Value &&
                            ValueText(e) == editValue)
                            kept = true;
                    if (!kept)
                        Fault("an edit pending at going offline was lost");
                }
            } else if (quietCycles > TKelvoOnline::SilentCyclesAllowed + 1) {
                Fault("still online after " + std::to_string(quietCycles) +
                      " cycles without an answer");
            }
        }
        if (std::getenv("KELVO_SOAK_VERBOSE"))
            std::fprintf(stderr, "round %ld (kind %d): %ld exchanges, %ld failed, last box: %s\n",
                         round, int(kind), Counts.Exchanges, Counts.Failed, prompt.Last.c_str());
        if (removed && online.IsOnline() && quietCycles > TKelvoOnline::SilentCyclesAllowed)
            Fault("online after the link was removed");
        // The round ends: offline by hand when the device kept answering.
        if (online.IsOnline()) {
            ::alarm(WatchdogSeconds);
            online.GoOnline(TConnectTarget::Offline, 0);
        }
        exchanges.Update();
        device.Stop();
    }
    ::alarm(0);

    // What the document holds now is saved and loaded back.
    const std::string path = device.Path("soak.dat");
    {
        TFileAccess access("Save File");
        access.Writer.Init(nullptr, path);
        access.Writer.ReplaceAnswer = TFileCounts::ReplaceWithoutAsking;
        doc.Write(access);
        TFileTypeKelvo loaded;
        TFileAccess read("Open File");
        read.Reader.Init(nullptr, path);
        loaded.Read(read);
        if (doc.Entries.Count() == 0)
            Fault("the document is empty after the soak");
        if (!SameEntries(doc, loaded))
            Fault("the saved data file did not load back equal");
    }

    std::printf("soak: %.1f min, %ld rounds: %ld exchanges, %ld failed exchanges, %ld retries, "
                "%ld edits written, %ld edits refused, %ld offline events "
                "(%ld with the message), %ld programs, %ld resets, %ld faults\n",
                minutes, Counts.Rounds, Counts.Exchanges, Counts.Failed, Counts.Retries,
                Counts.EditsWritten, Counts.EditsRefused, Counts.Offline, Counts.OfflineMessages,
                Counts.Programs, Counts.Resets, Counts.Faults);
    return Counts.Faults == 0 ? 0 : 1;
}
