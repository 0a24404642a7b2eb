#pragma once
// A line whose device answers from a script: every write is echoed (unless the
// script says otherwise) and followed by the next scripted reply. What the PC
// side wrote is recorded for the test to inspect.
#include "devicelink/comline.h"
#include "devicelink/crc24.h"
#include "devicelink/linkclock.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <thread>
#include <vector>

namespace kelvo::test {

using TBytes = std::vector<unsigned char>;

// A device frame: START, number in bits 6..5, the count, data and CRC.
inline TBytes Frame(int number, const TBytes& data, int headerHigh = -1) {
    TBytes f;
    f.reserve(data.size() + 5);
    f.push_back(0x9D);
    f.push_back(static_cast<unsigned char>((headerHigh >= 0 ? headerHigh : (number & 3) << 5) |
                                           (data.size() & 0x1F)));
    for (unsigned char b : data)
        f.push_back(b);
    const std::uint32_t crc = Crc24(f.data() + 1, f.size() - 1);
    f.push_back(static_cast<unsigned char>(crc >> 16));
    f.push_back(static_cast<unsigned char>(crc >> 8));
    f.push_back(static_cast<unsigned char>(crc));
    return f;
}

struct TScriptedReply {
    TBytes Bytes;
    bool Echo = true; // false: the echo is lost too
    bool CorruptEcho = false;
};

struct TScriptedLineState {
    std::deque<TScriptedReply> Replies;
    std::vector<TBytes> Written;
    TBytes Pending;
    // Bytes still on their way when the PC side next discards its input: they
    // come in right after that purge.
    TBytes Late;
    int Baud = 0;
    int Purges = 0;
    bool FailConfigure = false;
    bool FailWrite = false;
    int Opened = 0;
    // The next answer (echo included) comes in while the PC side, having just
    // found nothing to read, is kept from running for AwayTime.
    bool AnswerWhileAway = false;
    TBytes Away;
    std::chrono::milliseconds AwayTime{20};
    // Counter readings (ns) of the last purge, of the last release of the line
    // (RTS cleared) and of every read since that purge.
    std::int64_t PurgedAt = 0;
    std::int64_t ReleasedAt = 0;
    std::vector<std::int64_t> ReadsAt;
    // Like a USB serial adapter: what comes back is readable only this long
    // after the write; reads meanwhile wait a millisecond and find nothing.
    std::chrono::microseconds Latency{0};
    std::int64_t WrittenAt = 0;

    void Reply(TBytes bytes) { Replies.push_back({std::move(bytes)}); }
    void ReplyCode(unsigned char code) { Reply({code}); }
    void Silence() { Replies.push_back({{}, false}); }
    // Control codes of the PC side in the order they were written (frames as 0x9D).
    std::vector<unsigned char> Codes() const {
        std::vector<unsigned char> codes;
        for (const TBytes& w : Written)
            codes.push_back(w.empty() ? 0 : w[0]);
        return codes;
    }
};

class TScriptedLine : public TComLine {
public:
    explicit TScriptedLine(std::shared_ptr<TScriptedLineState> s) : S(std::move(s)) {}
    bool Configure(int baud) override {
        S->Baud = baud;
        return !S->FailConfigure;
    }
    bool Purge(bool) override {
        ReadLinkCounter(S->PurgedAt);
        S->ReadsAt.clear();
        ++S->Purges;
        // What an adapter still holds is not in the host's buffer yet.
        if (S->PurgedAt < S->WrittenAt + S->Latency.count() * 1000) {
            S->Pending.insert(S->Pending.end(), S->Late.begin(), S->Late.end());
            S->Late.clear();
            return true;
        }
        S->Pending = std::move(S->Late);
        S->Late.clear();
        return true;
    }
    bool SetRts(bool on) override {
        if (!on)
            ReadLinkCounter(S->ReleasedAt);
        return true;
    }
    bool SetDtr(bool) override { return true; }
    long Read(unsigned char* buffer, std::size_t count) override {
        std::int64_t now = 0;
        ReadLinkCounter(now);
        S->ReadsAt.push_back(now);
        const std::int64_t held = S->WrittenAt + S->Latency.count() * 1000 - now;
        if (held > 0) {
            std::this_thread::sleep_for(
                std::chrono::nanoseconds(std::min<std::int64_t>(held, 1'000'000)));
            return 0;
        }
        if (S->Pending.empty() && !S->Away.empty()) {
            S->Pending = std::move(S->Away);
            S->Away.clear();
            std::this_thread::sleep_for(S->AwayTime);
            return 0;
        }
        const std::size_t n = std::min(count, S->Pending.size());
        std::copy_n(S->Pending.begin(), n, buffer);
        S->Pending.erase(S->Pending.begin(), S->Pending.begin() + static_cast<long>(n));
        return static_cast<long>(n);
    }
    long Write(const unsigned char* buffer, std::size_t count) override {
        if (S->FailWrite)
            return -1;
        S->Written.emplace_back(buffer, buffer + count);
        ReadLinkCounter(S->WrittenAt);
        TScriptedReply r;
        if (!S->Replies.empty()) {
            r = std::move(S->Replies.front());
            S->Replies.pop_front();
        }
        TBytes& in = S->AnswerWhileAway ? S->Away : S->Pending;
        S->AnswerWhileAway = false;
        if (r.Echo) {
            in.insert(in.end(), buffer, buffer + count);
            if (r.CorruptEcho)
                in[in.size() - 1] ^= 0x01;
        }
        if (r.Echo || !r.Bytes.empty())
            in.insert(in.end(), r.Bytes.begin(), r.Bytes.end());
        return static_cast<long>(count);
    }

private:
    std::shared_ptr<TScriptedLineState> S;
};

inline TComLineOpener ScriptedOpener(std::shared_ptr<TScriptedLineState> s) {
    return [s](int) -> std::unique_ptr<TComLine> {
        ++s->Opened;
        return std::make_unique<TScriptedLine>(s);
    };
}

} // namespace kelvo::test
