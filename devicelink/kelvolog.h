#pragma once
// The transfer log of a device stream: one record per line exchange, kept in
// a ring buffer and rendered on request as an annotated hex dump.
#include "devicelink/logger.h"

#include <cstdint>
#include <string>

namespace kelvo {

// The header of one trace record; the bytes sent, the echo bytes and the reply
// bytes follow it in that order.
struct TKelvoLog {
    static constexpr std::int32_t Size = 28;

    std::int64_t TimeStamp = 0; // 100-ns units since program start
    std::int32_t ComResult = 0;
    std::int32_t StreamResult = 0;
    std::int32_t Sent = 0;
    std::int32_t Echoed = 0;
    std::int32_t Replied = 0;

    void Store(unsigned char* p) const;
    static TKelvoLog Load(const unsigned char* p);
};

class TKelvoLogger : public TLogger<TKelvoLog> {
public:
    static constexpr std::int32_t DefaultRoom = 16384;

    explicit TKelvoLogger(std::int32_t room = DefaultRoom) : TLogger<TKelvoLog>(room) {}

    // Appends one exchange.
    void Add(const TKelvoLog& header, const unsigned char* sent, const unsigned char* echo,
             const unsigned char* reply);

    // "Empty!", "Corrupt: Errorcode %i!" or the entries from the oldest on,
    // numbered from 1. A damaged entry is reported through the prompt.
    std::string Render() const;
};

} // namespace kelvo
