#pragma once
// Reading back what a device stream recorded in its transfer log.
#include "devicelink/kelvostream.h"

#include <vector>

namespace kelvo::test {

struct TTraceRecord {
    TKelvoLog Header;
    std::vector<unsigned char> Sent, Echo, Reply;
};

inline std::vector<TTraceRecord> TraceRecords(const TKelvoLogger& log) {
    std::vector<TTraceRecord> records;
    log.ForEach([&](const unsigned char* p, std::int32_t) {
        TTraceRecord r;
        r.Header = TKelvoLog::Load(p);
        const unsigned char* b = p + TKelvoLog::Size;
        r.Sent.assign(b, b + r.Header.Sent);
        b += r.Header.Sent;
        r.Echo.assign(b, b + r.Header.Echoed);
        b += r.Header.Echoed;
        r.Reply.assign(b, b + r.Header.Replied);
        records.push_back(std::move(r));
    });
    return records;
}

} // namespace kelvo::test
