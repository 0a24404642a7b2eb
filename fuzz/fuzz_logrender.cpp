// The transfer log's hex dump over any ring contents: records of any size,
// headers whose byte counts need not match what follows them, rings small
// enough to wrap and drop many times, and length words damaged afterwards.
#include "devicelink/kelvolog.h"
#include "devicelink/protocol.h"
#include "foundation/prompt.h"
#include "fuzz_input.h"

#include <cstdint>
#include <string>
#include <vector>

namespace {

// Damaged entries are reported through the prompt; nobody is there to answer.
class TSilentPrompt : public kelvo::TPrompt {
public:
    int Ask(const std::string&, const std::string&, kelvo::TPromptIcon,
            kelvo::TPromptButtons buttons) override {
        return kelvo::DefaultAnswer(buttons);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kelvo;
    TSilentPrompt silent;
    TPromptScope scope(silent);
    fuzz::TFuzzInput in(data, size);

    // Mostly the full ring of a stream; sometimes a small one that wraps often.
    const std::int32_t room = in.Byte() & 1 ? TKelvoLogger::DefaultRoom : 16 + in.Below(240);
    TKelvoLogger log(room);
    bool damaged = false;
    static const std::uint8_t Codes[] = {CodeReady, CodeAbort, CodeStart, CodeFinis,
                                         CodeConti, CodeRepim, CodeRepwt};
    while (!in.Empty()) {
        const std::uint8_t what = in.Byte();
        if (what < 0xF8) {
            TKelvoLog h;
            h.TimeStamp = std::int64_t(std::uint32_t(in.Long())) << (what & 0x1F);
            if (what & 0x20)
                h.TimeStamp = -h.TimeStamp;
            h.ComResult = -in.Below(200);
            h.StreamResult = what & 0x40 ? in.Long() : -in.Below(1000);
            h.Sent = in.Below(40);
            h.Echoed = in.Below(40);
            h.Replied = in.Below(40);
            std::int32_t extra = h.Sent + h.Echoed + h.Replied;
            // Now and then a header that lies about the bytes behind it.
            if (what & 0x80) {
                extra = in.Below(120);
                if (what & 0x10)
                    h.Sent = in.Long();
            }
            unsigned char* p = log.AppendRecord(h, extra);
            for (std::int32_t i = 0; p && i < extra; ++i) {
                const std::uint8_t b = in.Byte();
                // Control codes often, so that every annotation is made.
                p[i] = b & 0x80 ? Codes[b % sizeof Codes] : b;
            }
        } else {
            break;
        }
    }
    // Damage to the ring is what the renderer must survive; the logger itself
    // only ever sees its own words, so nothing is appended after this: one
    // length word of the newest record, at either end of it.
    if (!in.Empty() && log.Count() > 0) {
        const std::uint8_t what = in.Byte();
        unsigned char* payload = log.LastRecord();
        std::int32_t length;
        __builtin_memcpy(&length, payload - 4, sizeof length);
        const std::int32_t at = what & 1 ? -4 : length - 8;
        payload[at + in.Below(4)] ^= std::uint8_t(1 + in.Below(255));
        damaged = true;
    }

    const std::string text = log.Render();
    if (!damaged && log.Validate() != 0)
        __builtin_trap();
    if (log.Count() > 0 && text.empty())
        __builtin_trap();
    return 0;
}
