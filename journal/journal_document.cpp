#include "journal/journal_document.h"

#include "foundation/codepage.h"
#include "model/device_identity.h"
#include "model/dlgline_bits.h"
#include "snapshots/snapshots.h"

namespace kelvo {

TJournalDevice JournalDevice(const TFileTypeKelvo& document, std::string port) {
    TJournalDevice device;
    device.Port = std::move(port);
    const TDeviceIdentity identity = FindDeviceIdentity(document);
    device.Program = OemToUtf8(identity.Program);
    device.Serial = OemToUtf8(identity.SerialNumber);
    return device;
}

TJournalLine JournalLine(const TFileTypeKelvo::TEntry& line) {
    TJournalLine named;
    named.Address = line.Address;
    named.Instance = line.GroupLevel() == layout::LevelMember ? line.IndexI : 0;
    named.Caption = OemToUtf8(line.GetText(0));
    return named;
}

std::string ShownValue(const TFileTypeKelvo::TEntry& line) {
    return line.Value ? OemToUtf8(line.GetText(1)) : std::string();
}

} // namespace kelvo
