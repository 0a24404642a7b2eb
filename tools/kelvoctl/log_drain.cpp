#include "tools/kelvoctl/log_drain.h"

#include "devicelink/kelvolog.h"
#include "foundation/codepage.h"
#include "tools/kelvoctl/progress.h"

#include <cstdio>
#include <iostream>
#include <vector>

namespace kelvo::ctl {

TLogDrain::TLogDrain(const TKelvoStream& stream, std::string path)
    : FStream(stream), FPath(std::move(path)), FFile(FPath, std::ios::binary | std::ios::trunc) {}

void TLogDrain::Drain() {
    if (FClosed || !FFile)
        return;
    std::vector<std::vector<unsigned char>> records;
    FStream.Log().ForEach([&](const unsigned char* payload, std::int32_t length) {
        if (length < TKelvoLog::Size)
            return;
        // Only what came after the newest record already in the file.
        const TKelvoLog header = TKelvoLog::Load(payload);
        if (header.TimeStamp == FLastStamp && length == FLastLength) {
            records.clear();
            return;
        }
        records.emplace_back(payload, payload + length);
    });
    if (records.empty())
        return;
    TKelvoLogger one;
    for (const auto& record : records) {
        const TKelvoLog h = TKelvoLog::Load(record.data());
        if (h.Sent < 0 || h.Echoed < 0 || h.Replied < 0 ||
            std::int64_t{TKelvoLog::Size} + h.Sent + h.Echoed + h.Replied >
                static_cast<std::int64_t>(record.size()))
            continue;
        const unsigned char* bytes = record.data() + TKelvoLog::Size;
        one.Reset();
        one.Add(h, bytes, bytes + h.Sent, bytes + h.Sent + h.Echoed);
        // The entry is rendered as number 1; it gets its place in the run.
        std::string text = one.Render();
        char number[24];
        std::snprintf(number, sizeof number, "%-5lld", static_cast<long long>(++FNumber));
        if (text.size() > 6 && text[0] == '\n')
            text.replace(1, 5, number);
        FFile << OemToUtf8(text);
        FLastStamp = h.TimeStamp;
        FLastLength = static_cast<std::int32_t>(record.size());
    }
}

bool TLogDrain::Close() {
    if (FClosed)
        return true;
    Drain();
    if (FNumber == 0 && FFile)
        FFile << "Empty!";
    FClosed = true;
    FFile.close();
    if (FFile)
        return true;
    ClearProgressLine();
    std::cerr << "kelvoctl: cannot write the log to " << FPath << "\n";
    return false;
}

} // namespace kelvo::ctl
