#pragma once
// Which device a document describes, as a printed sheet names it: the device
// program, the serial number and the device tag, taken from the dialog's own
// lines. Only reads the document.
#include <string>

namespace kelvo {

class TFileTypeKelvo;

// The values as the list shows them (device code page); empty where the
// dialog has no such line.
struct TDeviceIdentity {
    std::string Program;
    std::string SerialNumber;
    std::string DeviceTag;
};

// The program is the identification line every device dialog carries: a Text
// line captioned "Programmname" at 0x0011 or 0x0012, else such a line at any
// address. The serial number and the device tag have no fixed address; they
// are the first lines captioned "Serial number" (or "Seriennummer") and
// "Device tag" (or "Messstelle"), letters compared without case, in the
// device's untranslated caption. Later instances of a repeated group and
// headings are not looked at.
TDeviceIdentity FindDeviceIdentity(const TFileTypeKelvo& document);

} // namespace kelvo
