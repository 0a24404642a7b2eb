#include "devicelink/kelvocommand.h"

#include "devicelink/kelvostream.h"

namespace kelvo {

TKelvoCommand::TKelvoCommand(TKelvoStream& stream, std::uint8_t code, std::uint8_t ackLength)
    : Length(1), AckLength(ackLength), Stream(&stream) {
    Bytes[0] = code;
}

TKelvoCommand& TKelvoCommand::Arg(std::uint16_t value) {
    if (Length + 2 <= static_cast<int>(sizeof Bytes)) {
        Bytes[Length++] = static_cast<std::uint8_t>(value & 0xFF);
        Bytes[Length++] = static_cast<std::uint8_t>(value >> 8);
    }
    return *this;
}

bool TKelvoCommand::Send() {
    if (!Stream || Length < 1 || Length > sizeof Bytes ||
        (AckLength > Length && AckLength != AppendData))
        return true;
    while (Attempts < MaxAttempts) {
        ++Attempts;
        Stream->BeginConversation();
        Stream->Write(Bytes, Length);
        if (AckLength == AppendData)
            return false;
        if (AckLength == 0) {
            Stream->EndWrite();
        } else {
            for (int i = 0; i < AckLength; ++i) {
                if (Stream->GetByte() != Bytes[i]) {
                    Stream->SetBroken(true);
                    break;
                }
            }
        }
        if (!Stream->Broken())
            return false;
    }
    return true;
}

bool TKelvoCommand::Finish() {
    if (!Stream)
        return true;
    if (!Stream->EofPending()) {
        Stream->PeekByte();
        if (!Stream->EofPending())
            Stream->SetBroken(true);
    }
    return Stream->Broken();
}

} // namespace kelvo
