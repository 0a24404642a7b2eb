#include "model/device_identity.h"

#include "model/kelvofile.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <initializer_list>
#include <string_view>

namespace kelvo {

namespace {

using TEntry = TFileTypeKelvo::TEntry;

constexpr std::uint16_t ProgramAddresses[] = {0x0011, 0x0012};

bool SameWords(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

bool Captioned(const TEntry& entry, std::initializer_list<std::string_view> captions) {
    if (!entry.Value || entry.IndexI != 0 || entry.Kind() == KindLabel)
        return false;
    const std::string caption = entry.CaptionText();
    return std::any_of(captions.begin(), captions.end(),
                       [&](std::string_view wanted) { return SameWords(caption, wanted); });
}

std::string ProgramName(const TFileTypeKelvo& document) {
    const TEntry* anywhere = nullptr;
    for (const TEntry& entry : document.Entries) {
        if (entry.Kind() != KindText || !Captioned(entry, {"Programmname"}))
            continue;
        if (std::find(std::begin(ProgramAddresses), std::end(ProgramAddresses), entry.Address) !=
            std::end(ProgramAddresses))
            return entry.GetText(1);
        if (!anywhere)
            anywhere = &entry;
    }
    return anywhere ? anywhere->GetText(1) : std::string();
}

std::string FirstValue(const TFileTypeKelvo& document,
                       std::initializer_list<std::string_view> captions) {
    for (const TEntry& entry : document.Entries)
        if (Captioned(entry, captions))
            return entry.GetText(1);
    return {};
}

} // namespace

TDeviceIdentity FindDeviceIdentity(const TFileTypeKelvo& document) {
    TDeviceIdentity identity;
    identity.Program = ProgramName(document);
    identity.SerialNumber = FirstValue(document, {"Serial number", "Seriennummer"});
    identity.DeviceTag = FirstValue(document, {"Device tag", "Messstelle"});
    return identity;
}

} // namespace kelvo
