#include "codepage.h"

#include "exception.h"

#include <cerrno>
#include <iconv.h>

namespace kelvo {

namespace {

constexpr const char* OemCodePage = "CP850";
constexpr const char* AnsiCodePage = "WINDOWS-1252";
constexpr const char* UnicodeCodePage = "UTF-8";

// Length of the UTF-8 sequence that starts at s (at most left bytes), or 1 when
// the bytes there are not a well-formed sequence: a bad sequence is replaced
// byte by byte so that the next valid character is not swallowed.
std::size_t Utf8SequenceLength(const unsigned char* s, std::size_t left) {
    std::size_t n = 1;
    if (s[0] >= 0xC2 && s[0] <= 0xDF)
        n = 2;
    else if (s[0] >= 0xE0 && s[0] <= 0xEF)
        n = 3;
    else if (s[0] >= 0xF0 && s[0] <= 0xF4)
        n = 4;
    if (n > left)
        return 1;
    for (std::size_t i = 1; i < n; ++i)
        if ((s[i] & 0xC0) != 0x80)
            return 1;
    return n;
}

class TConverter {
public:
    TConverter(const char* to, const char* from, bool fromUtf8)
        : FHandle(iconv_open(to, from)), FFromUtf8(fromUtf8) {
        if (FHandle == reinterpret_cast<iconv_t>(-1))
            throw Exception(std::string("TConverter: code page conversion ") + from + " to " + to +
                            " not available!");
    }
    TConverter(const TConverter&) = delete;
    TConverter& operator=(const TConverter&) = delete;
    ~TConverter() { iconv_close(FHandle); }

    std::string Convert(std::string_view text) {
        if (text.empty())
            return {};
        iconv(FHandle, nullptr, nullptr, nullptr, nullptr); // fresh shift state
        std::string out;
        out.reserve(text.size() * (FFromUtf8 ? 1 : 3) + 4);
        char* in = const_cast<char*>(text.data()); // iconv does not write through it
        std::size_t inLeft = text.size();
        char chunk[256];
        while (inLeft > 0) {
            char* dst = chunk;
            std::size_t dstLeft = sizeof chunk;
            const std::size_t rc = iconv(FHandle, &in, &inLeft, &dst, &dstLeft);
            out.append(chunk, dst);
            if (rc != static_cast<std::size_t>(-1))
                continue;
            if (errno == E2BIG)
                continue;
            // EILSEQ (unrepresentable or invalid) or EINVAL (cut-off sequence at the end).
            out.push_back('?');
            const std::size_t skip =
                FFromUtf8 ? Utf8SequenceLength(reinterpret_cast<unsigned char*>(in), inLeft) : 1;
            in += skip;
            inLeft -= skip;
        }
        return out;
    }

private:
    iconv_t FHandle;
    bool FFromUtf8;
};

} // namespace

// Each direction keeps its converter open for the life of the thread.
std::string OemToAnsi(std::string_view oem) {
    thread_local TConverter c(AnsiCodePage, OemCodePage, false);
    return c.Convert(oem);
}

std::string AnsiToOem(std::string_view ansi) {
    thread_local TConverter c(OemCodePage, AnsiCodePage, false);
    return c.Convert(ansi);
}

std::string OemToUtf8(std::string_view oem) {
    thread_local TConverter c(UnicodeCodePage, OemCodePage, false);
    return c.Convert(oem);
}

std::string Utf8ToOem(std::string_view utf8) {
    thread_local TConverter c(OemCodePage, UnicodeCodePage, true);
    return c.Convert(utf8);
}

} // namespace kelvo
