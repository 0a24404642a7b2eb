#include "online/conversion_hook.h"

#include "online/kelvocv.h"

namespace kelvo {

namespace {

// The built-in conversion table unless something else is installed.
TOldDataConversion Installed{FindConversion, Convert};

} // namespace

TOldDataConversion SetOldDataConversion(TOldDataConversion c) {
    const TOldDataConversion previous = Installed;
    Installed = c;
    return previous;
}

int FindOldDataConversion(TFileTypeKelvo& document) {
    return Installed.Find ? Installed.Find(document) : -3;
}

int ConvertOldData(TFileTypeKelvo& document, int row) {
    return Installed.Convert ? Installed.Convert(document, row) : -1;
}

} // namespace kelvo
