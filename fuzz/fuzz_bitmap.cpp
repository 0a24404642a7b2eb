// A bitmap file: checked and scaled down into a new bitmap in memory.
#include "foundation/bitmapstm.h"
#include "foundation/mediastm.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kelvo;
    TStaticStreamBuffer source(const_cast<std::uint8_t*>(data), static_cast<std::int32_t>(size));
    TDynaStreamBuffer destination;
    ScaleBitmap(destination, source, 16, 0, 0, 0, 0, 16);
    return 0;
}
