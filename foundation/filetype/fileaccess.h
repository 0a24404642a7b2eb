#pragma once
// The context of one load or save: the title of its messages and the records
// of both directions.
#include "foundation/filetype/filecounts.h"

#include <string>

namespace kelvo {

class TFileAccess {
public:
    explicit TFileAccess(std::string caption = {});
    TFileAccess(const TFileAccess&) = delete;
    TFileAccess& operator=(const TFileAccess&) = delete;

    std::string Caption; // "Open File", "Save File", "Save File As" or "Save Copy As"
    TFileCounts Reader;
    TFileCounts Writer;

    // Open the record and move to the start of its data.
    bool OpenRead();
    bool OpenWrite();
};

} // namespace kelvo
