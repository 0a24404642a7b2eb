#include "foundation/filetype/fileaccess.h"

#include <utility>

namespace kelvo {

TFileAccess::TFileAccess(std::string caption)
    : Caption(std::move(caption)), Reader(TFileCounts::ModeRead, this),
      Writer(TFileCounts::ModeWrite, this) {}

bool TFileAccess::OpenRead() {
    if (!Reader.Open())
        return false;
    Reader.SeekStart();
    return true;
}

bool TFileAccess::OpenWrite() {
    if (!Writer.Open())
        return false;
    Writer.SeekStart();
    return true;
}

} // namespace kelvo
