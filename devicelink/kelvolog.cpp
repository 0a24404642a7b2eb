#include "devicelink/kelvolog.h"

#include "devicelink/protocol.h"
#include "foundation/prompt.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace kelvo {

void TKelvoLog::Store(unsigned char* p) const {
    std::memcpy(p, &TimeStamp, 8);
    const std::int32_t words[5] = {ComResult, StreamResult, Sent, Echoed, Replied};
    std::memcpy(p + 8, words, sizeof words);
}

TKelvoLog TKelvoLog::Load(const unsigned char* p) {
    TKelvoLog h;
    std::memcpy(&h.TimeStamp, p, 8);
    std::int32_t words[5];
    std::memcpy(words, p + 8, sizeof words);
    h.ComResult = words[0];
    h.StreamResult = words[1];
    h.Sent = words[2];
    h.Echoed = words[3];
    h.Replied = words[4];
    return h;
}

void TKelvoLogger::Add(const TKelvoLog& header, const unsigned char* sent,
                       const unsigned char* echo, const unsigned char* reply) {
    unsigned char* p = AppendRecord(header, header.Sent + header.Echoed + header.Replied);
    // An exchange that sent or received nothing may pass no buffer for it;
    // memcpy must not see a null pointer even for no bytes.
    const auto copy = [](unsigned char* to, const unsigned char* from, std::int32_t n) {
        if (n > 0)
            std::memcpy(to, from, static_cast<std::size_t>(n));
    };
    copy(p, sent, header.Sent);
    copy(p + header.Sent, echo, header.Echoed);
    copy(p + header.Sent + header.Echoed, reply, header.Replied);
}

namespace {

constexpr int BytesPerLine = 8;

// One dump line: bytes in hex, padded so the separator stays in one column,
// then either the name of the control code (or "CRC"), or the bytes as text.
void RenderLine(std::string& out, const char* start, const unsigned char* bytes, int m,
                bool annotate) {
    char hex[8];
    out += '\n';
    out += start;
    for (int i = 0; i < m; ++i) {
        std::snprintf(hex, sizeof hex, " %02X", bytes[i]);
        out += hex;
    }
    for (int i = m; i < BytesPerLine; ++i)
        out += "   ";
    out += " ; ";
    if (annotate && m >= 1 && m <= 3) {
        if (m == 3) {
            out += "CRC";
            return;
        }
        out += ControlCodeName(bytes[0]);
        if (bytes[0] == CodeStart && m == 2) {
            char number[40];
            std::snprintf(number, sizeof number, " No.%i, %i Byte", bytes[1] >> 5, bytes[1] & 0x1F);
            out += number;
        }
        return;
    }
    for (int i = 0; i < m; ++i)
        out += bytes[i] > 32 ? static_cast<char>(bytes[i]) : '.';
}

void RenderSection(std::string& out, const char* label, const unsigned char* bytes, int n) {
    int shown = 0;
    if (n == 1 || n > 5) {
        // A control code, or a frame: START and header, the data, the CRC.
        shown = std::min(n, 2);
        RenderLine(out, label, bytes, shown, true);
        if (n < 3)
            return;
        while (shown < n - 3) {
            const int m = std::min(BytesPerLine, n - 3 - shown);
            RenderLine(out, "  ", bytes + shown, m, false);
            shown += m;
        }
        RenderLine(out, "  ", bytes + shown, n - shown, true);
        return;
    }
    shown = std::min(n, BytesPerLine);
    RenderLine(out, label, bytes, shown, true);
    while (shown < n) {
        const int m = std::min(BytesPerLine, n - shown);
        RenderLine(out, "  ", bytes + shown, m, false);
        shown += m;
    }
}

bool RenderEntry(std::string& out, int k, const unsigned char* payload, std::int32_t length) {
    if (length < TKelvoLog::Size)
        return false;
    const TKelvoLog h = TKelvoLog::Load(payload);
    const std::uint64_t ms =
        static_cast<std::uint64_t>(std::max<std::int64_t>(h.TimeStamp, 0)) / 10'000;
    char line[160];
    std::snprintf(line, sizeof line, "\n%-5i %2u:%02u:%02u.%03u   Result: COM=%i Stream=%i\n", k,
                  static_cast<unsigned>(ms / 3'600'000 % 24),
                  static_cast<unsigned>(ms / 60'000 % 60), static_cast<unsigned>(ms / 1000 % 60),
                  static_cast<unsigned>(ms % 1000), h.ComResult, h.StreamResult);
    out += line;
    const std::int64_t bytes = std::int64_t{h.Sent} + h.Echoed + h.Replied;
    if (h.Sent < 0 || h.Echoed < 0 || h.Replied < 0 || bytes > length - TKelvoLog::Size)
        return false;
    const unsigned char* p = payload + TKelvoLog::Size;
    RenderSection(out, "T:", p, h.Sent);
    RenderSection(out, "L:", p + h.Sent, h.Echoed);
    RenderSection(out, "R:", p + h.Sent + h.Echoed, h.Replied);
    return true;
}

} // namespace

std::string TKelvoLogger::Render() const {
    if (Count() == 0)
        return "Empty!";
    if (const int code = Validate(); code < 0)
        return "Corrupt: Errorcode " + std::to_string(code) + "!";
    std::string out;
    int k = 0;
    ForEach([&](const unsigned char* payload, std::int32_t length) {
        ++k;
        if (!RenderEntry(out, k, payload, length))
            Prompt().Ask("Transfer Log", "Error at " + std::to_string(k), TPromptIcon::Error,
                         TPromptButtons::Ok);
        out += '\n';
    });
    return out;
}

} // namespace kelvo
