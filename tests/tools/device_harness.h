#pragma once
// The PC end of a conversation with the virtual device, at the level of raw
// bytes: frames are built by hand, echoes are checked and stripped.
#include "devicelink/crc24.h"
#include "tools/vdevice/virtual_device.h"

#include <gtest/gtest.h>

namespace kelvo::testing {

constexpr unsigned char Ready = TVirtualDevice::CodeReady;
constexpr unsigned char Abort = TVirtualDevice::CodeAbort;
constexpr unsigned char Start = TVirtualDevice::CodeStart;
constexpr unsigned char Finis = TVirtualDevice::CodeFinis;
constexpr unsigned char Conti = TVirtualDevice::CodeConti;
constexpr unsigned char Repim = TVirtualDevice::CodeRepim;
constexpr unsigned char Repwt = TVirtualDevice::CodeRepwt;

inline TBytes Frame(int number, const TBytes& data) {
    TBytes f{Start, static_cast<unsigned char>((number << 5) | data.size())};
    f.insert(f.end(), data.begin(), data.end());
    const std::uint32_t crc = Crc24(&f[1], data.size() + 1);
    f.push_back(static_cast<unsigned char>(crc >> 16));
    f.push_back(static_cast<unsigned char>(crc >> 8));
    f.push_back(static_cast<unsigned char>(crc));
    return f;
}

inline bool IsValidFrame(const TBytes& f) {
    if (f.size() < 6 || f[0] != Start || (f[1] & 0x80) || std::size_t(f[1] & 0x1F) + 5 != f.size())
        return false;
    const std::size_t n = f[1] & 0x1F;
    const std::uint32_t crc =
        std::uint32_t(f[n + 2]) << 16 | std::uint32_t(f[n + 3]) << 8 | f[n + 4];
    return Crc24(&f[1], n + 1) == crc;
}

inline int FrameNumber(const TBytes& f) {
    return (f[1] >> 5) & 3;
}
inline TBytes FrameData(const TBytes& f) {
    return TBytes(f.begin() + 2, f.end() - 3);
}

inline TBytes Word(std::uint16_t v) {
    return {static_cast<unsigned char>(v & 0xFF), static_cast<unsigned char>(v >> 8)};
}
inline TBytes Concat(TBytes a, const TBytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
inline TBytes ReadCommand(int kind, std::uint16_t address) {
    return Concat({static_cast<unsigned char>(0x80 + ((kind + 1) & 0x0F))}, Word(address));
}
inline TBytes WriteCommand(int kind, std::uint16_t address, const TBytes& raw) {
    return Concat(Concat({static_cast<unsigned char>((kind + 1) & 0x0F)}, Word(address)), raw);
}
inline TBytes ReadMember(int kind, std::uint16_t address, int instance) {
    return Concat(ReadCommand(kind, address), Word(static_cast<std::uint16_t>(instance)));
}
inline TBytes WriteMember(int kind, std::uint16_t address, int instance, const TBytes& raw) {
    const TBytes head = Concat({static_cast<unsigned char>((kind + 1) & 0x0F)}, Word(address));
    return Concat(Concat(head, Word(static_cast<std::uint16_t>(instance))), raw);
}

// Sends one message and returns the device's reply, after checking that the
// whole message came back as echo first.
class TPcSide {
public:
    explicit TPcSide(TVirtualDevice& device) : FDevice(device) {}

    TBytes Send(const TBytes& message) {
        TBytes out = FDevice.Feed(message);
        if (out.size() < message.size() ||
            !std::equal(message.begin(), message.end(), out.begin())) {
            ADD_FAILURE() << "echo missing or wrong";
            return {};
        }
        return TBytes(out.begin() + message.size(), out.end());
    }
    TBytes Send(unsigned char code) { return Send(TBytes{code}); }
    TBytes SendFrame(int number, const TBytes& data) { return Send(Frame(number, data)); }

    // Opens a conversation and runs one command to its end in answer mode frame;
    // returns the answer data (empty when the device had none).
    TBytes Command(const TBytes& command) {
        EXPECT_EQ(Send(Ready), TBytes{Ready});
        TBytes data;
        TBytes reply = SendFrame(0, command);
        while (reply.size() > 1) {
            EXPECT_TRUE(IsValidFrame(reply));
            const TBytes part = FrameData(reply);
            data.insert(data.end(), part.begin(), part.end());
            reply = Send(Conti);
        }
        EXPECT_EQ(reply, TBytes{Finis});
        EXPECT_EQ(Send(Finis), TBytes{Ready});
        return data;
    }

    // The value bytes of a read, after the command echo and the two status bytes.
    TBytes ReadValue(const TBytes& command, unsigned char* status = nullptr) {
        const TBytes data = Command(command);
        if (data.size() < command.size() + 2 ||
            !std::equal(command.begin(), command.end(), data.begin())) {
            ADD_FAILURE() << "read answer does not start with the command";
            return {};
        }
        if (status)
            *status = data[command.size() + 1];
        return TBytes(data.begin() + command.size() + 2, data.end());
    }

private:
    TVirtualDevice& FDevice;
};

} // namespace kelvo::testing
