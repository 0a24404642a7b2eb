#pragma once
// One device command: a code byte and up to two 16-bit arguments (low byte
// first), how the device acknowledges it, and a limited number of attempts.
// Callers fill one on their stack, Send() it, write or read the data of the
// message, then Finish() it.
#include <cstdint>

namespace kelvo {

class TKelvoStream;

struct TKelvoCommand {
    // The command itself sends nothing and compares nothing: the caller
    // appends data to the same message and ends it with EndWrite().
    static constexpr std::uint8_t AppendData = 255;

    std::uint8_t Length = 0;    // command bytes, 1..5
    std::uint8_t AckLength = 0; // 0: nothing acknowledged; 1..Length: echoed bytes
    std::uint8_t Bytes[5] = {};
    TKelvoStream* Stream = nullptr; // borrowed
    std::int32_t MaxAttempts = 4;
    std::int32_t Attempts = 0;

    TKelvoCommand() = default;
    TKelvoCommand(TKelvoStream& stream, std::uint8_t code, std::uint8_t ackLength);
    // Appends a 16-bit argument, low byte first.
    TKelvoCommand& Arg(std::uint16_t value);

    // Both return true on failure.
    bool Send();
    // Checks that the device's answer ends right after the data read.
    bool Finish();
};

} // namespace kelvo
