#pragma once
// Device text where it meets the window toolkit: the OEM code page (CP850) in
// which device texts, captions and settings are kept, decoded for a widget,
// and what the user typed encoded back (a character CP850 lacks becomes "?").
#include <QString>

#include <string>

namespace kelvo {

QString OemToQString(const std::string& oem);
std::string QStringToOem(const QString& text);

} // namespace kelvo
