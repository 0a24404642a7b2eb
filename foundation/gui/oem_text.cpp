#include "foundation/gui/oem_text.h"

#include "foundation/codepage.h"

namespace kelvo {

QString OemToQString(const std::string& oem) {
    return QString::fromStdString(OemToUtf8(oem));
}

std::string QStringToOem(const QString& text) {
    return Utf8ToOem(text.toStdString());
}

} // namespace kelvo
