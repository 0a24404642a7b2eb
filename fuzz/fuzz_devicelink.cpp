// The PC side of the device link against a device that answers anything: each
// message the stream sends gets an echo (or a damaged one, or none) and a
// reply the input chooses (any control code, a frame of any length and
// number with a good or bad CRC, raw bytes, silence, bytes that come late),
// while the stream's users open conversations, send codes, write frames, read
// data and run whole commands in any order.
#include "devicelink/crc24.h"
#include "devicelink/kelvocommand.h"
#include "devicelink/kelvostream.h"
#include "devicelink/protocol.h"
#include "foundation/prompt.h"
#include "fuzz_input.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace kelvo;
using TBytes = std::vector<std::uint8_t>;

const std::uint8_t Codes[] = {CodeReady, CodeAbort, CodeStart, CodeFinis,
                              CodeConti, CodeRepim, CodeRepwt};

class TFuzzDevice : public TComLine {
public:
    explicit TFuzzDevice(fuzz::TFuzzInput& in) : In(in) {}

    bool Configure(int) override { return true; }
    bool Purge(bool) override {
        Pending = std::move(Late);
        Late.clear();
        return true;
    }
    bool SetRts(bool) override { return true; }
    bool SetDtr(bool) override { return true; }
    long Read(unsigned char* buffer, std::size_t count) override {
        const std::size_t n = std::min(count, Pending.size());
        std::copy_n(Pending.begin(), n, buffer);
        Pending.erase(Pending.begin(), Pending.begin() + static_cast<long>(n));
        return static_cast<long>(n);
    }
    long Write(const unsigned char* buffer, std::size_t count) override {
        ++Messages;
        const TBytes sent(buffer, buffer + count);
        // Silence and busy answers make the stream wait: a few of them per
        // input are enough to reach every path.
        if (In.Empty() || Messages > 200 || Slow > 8) {
            Cooperate(sent);
            return static_cast<long>(count);
        }
        const std::uint8_t how = In.Byte();
        switch (how & 7) {
        case 0: // echo and a control code, often the one the PC side expects
            Echo(sent);
            Pending.push_back(how & 8 ? Codes[In.Below(sizeof Codes)] : In.Byte());
            Slow += Pending.back() == CodeRepwt;
            break;
        case 1: // echo and a good frame of any length and number
        case 2: // the same with a damaged CRC or header
            Echo(sent);
            AppendFrame(Pending, (how & 7) == 2);
            break;
        case 3: // echo and raw bytes
            Echo(sent);
            for (int n = In.Below(40); n > 0; --n)
                Pending.push_back(In.Byte());
            Slow += 1;
            break;
        case 4: // nothing at all
            Slow += 1;
            break;
        case 5: // a damaged echo, then a control code
            Echo(sent);
            if (!sent.empty())
                Pending[Pending.size() - 1 - In.Below(int(sent.size()))] ^= 1 + In.Below(255);
            Pending.push_back(Codes[In.Below(sizeof Codes)]);
            break;
        case 6: // the echo only, cut short or whole
            Echo(sent);
            Pending.resize(Pending.size() - std::min<std::size_t>(Pending.size(), In.Below(3)));
            Slow += 1;
            break;
        default: // a good answer, then bytes that come in after the next purge
            Cooperate(sent);
            for (int n = 1 + In.Below(8); n > 0; --n)
                Late.push_back(how & 8 ? Codes[In.Below(sizeof Codes)] : In.Byte());
            break;
        }
        return static_cast<long>(count);
    }

private:
    void Echo(const TBytes& sent) { Pending.insert(Pending.end(), sent.begin(), sent.end()); }

    // What a device that has run out of surprises answers: READY to READY
    // and FINIS, ABORT to ABORT, FINIS to anything else.
    void Cooperate(const TBytes& sent) {
        Echo(sent);
        const std::uint8_t first = sent.empty() ? 0 : sent[0];
        Pending.push_back(first == CodeReady || first == CodeFinis ? CodeReady
                          : first == CodeAbort                     ? CodeAbort
                                                                   : CodeFinis);
    }

    void AppendFrame(TBytes& out, bool damage) {
        // Every length the header can name, 0 to 31, not only 1 to 28.
        const int n = In.Below(32);
        const std::uint8_t header = static_cast<std::uint8_t>((In.Byte() & 0xE0) | n);
        TBytes f{CodeStart, header};
        for (int i = 0; i < n; ++i)
            f.push_back(In.Byte());
        const std::uint32_t crc = Crc24(f.data() + 1, f.size() - 1);
        f.push_back(static_cast<std::uint8_t>(crc >> 16));
        f.push_back(static_cast<std::uint8_t>(crc >> 8));
        f.push_back(static_cast<std::uint8_t>(crc));
        if (damage)
            f[1 + In.Below(int(f.size()) - 1)] ^= 1 + In.Below(255);
        out.insert(out.end(), f.begin(), f.end());
    }

    fuzz::TFuzzInput& In;
    TBytes Pending;
    TBytes Late;
    int Messages = 0;
    int Slow = 0;
};

class TSilentPrompt : public TPrompt {
public:
    int Ask(const std::string&, const std::string&, TPromptIcon, TPromptButtons b) override {
        return DefaultAnswer(b);
    }
};

// One whole command as the online operation runs it: send, read the answer
// data, finish; at most four attempts.
void RunCommand(TKelvoStream& s, fuzz::TFuzzInput& in) {
    TKelvoCommand cmd(s, in.Byte(), std::uint8_t(in.Below(4)));
    for (int args = in.Below(3); args > 0; --args)
        cmd.Arg(in.Word());
    if (in.Byte() & 1)
        cmd.AckLength = TKelvoCommand::AppendData;
    while (!cmd.Send()) {
        if (cmd.AckLength == TKelvoCommand::AppendData) {
            std::uint8_t data[40];
            for (int i = 0; i < 40; ++i)
                data[i] = in.Byte();
            s.Write(data, in.Below(40));
            s.EndWrite();
        }
        std::uint8_t buffer[300];
        s.Read(buffer, in.Below(int(sizeof buffer)));
        if (!cmd.Finish())
            return;
        s.SetBroken(true);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TSilentPrompt silent;
    TPromptScope scope(silent);
    fuzz::TFuzzInput in(data, size);
    TKelvoStream s(1, 115200, [&in](int) -> std::unique_ptr<TComLine> {
        return std::make_unique<TFuzzDevice>(in);
    });
    if (!s.Open(1, 0))
        return 0;
    for (int op = 0; op < 32 && !in.Empty(); ++op) {
        switch (in.Below(9)) {
        case 0:
            s.BeginConversation();
            break;
        case 1:
            s.EndConversation();
            break;
        case 2: {
            const std::uint8_t code = in.Byte() & 1 ? Codes[in.Below(sizeof Codes)] : in.Byte();
            s.SendCode(code, in.Below(71) - 35);
            break;
        }
        case 3: {
            std::uint8_t bytes[64];
            const int n = in.Below(65);
            for (int i = 0; i < n; ++i)
                bytes[i] = in.Byte();
            s.Write(bytes, n);
            s.EndWrite();
            break;
        }
        case 4: {
            std::uint8_t buffer[100];
            const std::int32_t n = in.Below(int(sizeof buffer));
            if (s.Read(buffer, n) > n)
                __builtin_trap();
            break;
        }
        case 5:
            if (in.Byte() & 1)
                s.GetByte();
            else
                s.PeekByte();
            break;
        case 6:
            RunCommand(s, in);
            break;
        case 7:
            s.SetBroken(in.Byte() & 1);
            break;
        default:
            s.Close();
            s.Open(1, 0);
            break;
        }
        // What the stream reports must stay inside its own buffers.
        if (s.ReplyCount() < 0 || s.ReplyCount() > TKelvoStream::MaxReply)
            __builtin_trap();
    }
    if (s.Log().Validate() != 0)
        __builtin_trap();
    s.Log().Render();
    return 0;
}
