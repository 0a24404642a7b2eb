// A translation file: paragraphs read line by line through the line buffer.
#include "foundation/mediastm.h"
#include "foundation/stream.h"
#include "translations/mlpara.h"
#include "translations/mlparas.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kelvo;
    TMemoryStream file;
    file.Write(data, static_cast<std::int32_t>(size));
    file.SetPosition(0);
    TTrueStreamBuffer lines(file);
    lines.Resize(LineBufferCapacity);
    for (int i = 0; i < 1000; ++i) {
        TMlpara paragraph;
        if (paragraph.Read(lines, "fuzz.lng") <= 0)
            break;
        for (int k = 0; k < paragraph.Count(); ++k) {
            paragraph.Find(paragraph.Source(k));
            paragraph.Translation(k);
        }
    }
    return 0;
}
