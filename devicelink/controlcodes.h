#pragma once
// The one-byte control codes of the device line and the names the transfer
// log prints for them.
#include <cstdint>

namespace kelvo {

enum TControlCode : std::uint8_t {
    CodeReady = 0x74, // idle; opens a conversation
    CodeAbort = 0x69, // closes a conversation, or the device dropped it
    CodeStart = 0x9D, // first byte of a data frame
    CodeFinis = 0xA7, // end of data
    CodeConti = 0xBA, // continue: send the next frame / frame accepted
    CodeRepim = 0xCE, // repeat the last frame at once
    CodeRepwt = 0xD3, // busy: wait and send the same message again
};

// "START", "READY", ... and "Undefined" for any other byte.
const char* ControlCodeName(std::uint8_t code);

// A data frame carries 1 to 28 bytes behind START and the header, followed by
// a CRC-24 of the header and the data, most significant byte first.
constexpr int FrameOverhead = 5;
constexpr int MaxFrameData = 28;

} // namespace kelvo
