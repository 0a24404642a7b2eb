// A data file: line records one after the other, then the document's
// post-processing (group expansion, separators) and the row texts.
#include "foundation/mediastm.h"
#include "model/kelvofile.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kelvo;
    TFileTypeKelvo document;
    TStaticStreamBuffer in(const_cast<std::uint8_t*>(data), static_cast<std::int32_t>(size));
    for (;;) {
        TFileTypeKelvo::TEntry entry(&document);
        if (entry.Read(in) < 0)
            break;
        document.Entries.push_back(entry);
    }
    int status = 0;
    document.PostProcess(status);
    TMemoryStream out;
    for (const auto& entry : document.Entries) {
        entry.GetText(0);
        entry.GetText(1);
        if (!entry.IsBlank())
            entry.Write(out);
    }
    return 0;
}
