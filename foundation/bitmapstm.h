#pragma once
// Windows bitmap files (BMP): validation of untrusted files read in place
// through a stream buffer, and scaled-down copies written as new bitmaps.
// Failures are negative codes, never exceptions.
#include "foundation/dynalist.h"
#include "foundation/mediastm.h"
#include "foundation/stream.h"

#include <cstdint>

namespace kelvo {

constexpr std::int32_t BmpFileHeaderSize = 14;
constexpr std::int32_t BmpCoreHeaderSize = 12;
constexpr std::int32_t BmpInfoHeaderSize = 40;
constexpr std::int64_t BmpTrueColours = 16777216;

// Writes the file header and the 40-byte information header (plus the three
// channel masks for 15 and 16 bits) of a width x height picture with the given
// number of colours (0 means 16777216); any palette is the caller's to write.
// Returns the bytes written, -1 for no stream or a zero width or height, -4 for
// a width or height above 65535, -6 for an unsupported number of colours.
int WriteBmpHeaders(TStream* stream, std::int32_t width, std::int32_t height, std::int64_t colours);

// The checks read nothing beyond the pixel offset that the file header
// announces; the caller provides at least those bytes (and at least 14 for the
// file header alone). Sizes are judged by the header's file size.

// 1 when the file header is sound, -1 otherwise.
int CheckFileHeader(const std::uint8_t* file);
// 20 for a sound core header, 10 for a sound 40-byte header, or an error code.
int CheckInfoHeader(const std::uint8_t* file, const std::uint8_t* info);
// -3 when the file header fails or expectedSize (when not 0) differs from the
// file size; otherwise the result of CheckInfoHeader.
int CheckBitmap(const std::uint8_t* file, std::int64_t expectedSize = 0);

enum TBmpPropertyIndex : int {
    BmpIsCore = 0,
    BmpWidth = 1,
    BmpHeight = 2,
    BmpBitsPerPixel = 3,
    BmpPaletteEntries = 4,
    BmpRowBytes = 5,
    BmpPaddedRowBytes = 6,
    BmpRowPadding = 7,
    BmpImageSize = 8,
    BmpPixelOffset = 9,
    BmpCompression = 10,
    BmpPaletteSize = 11,
    BmpPaletteOffset = 12,
};
// A value of a checked bitmap, by index; 0 for an unknown index.
std::int64_t BmpProperty(const std::uint8_t* file, int index);

// One pixel while scaling.
struct TBgr {
    std::uint8_t Blue = 0;
    std::uint8_t Green = 0;
    std::uint8_t Red = 0;
    bool operator==(const TBgr&) const = default;
};

// The 16-bit pixel forms: 5-6-5 for 65536 colours, 5-5-5 for 32768.
std::uint16_t PackPixel565(TBgr pixel);
std::uint16_t PackPixel555(TBgr pixel);
TBgr UnpackPixel565(std::uint16_t value);
TBgr UnpackPixel555(std::uint16_t value);

// Accumulator of one destination column while scaling.
struct TScaledPixel {
    std::uint32_t Blue = 0;
    std::uint32_t Green = 0;
    std::uint32_t Red = 0;
};

// Reads the bitmap at the source buffer's position (the region of
// regionWidth x regionHeight pixels at regionLeft, regionTop counted from the
// picture's top left; a size of 0 takes the rest of the picture) and writes
// the largest copy with the region's aspect ratio that fits maxWidth x
// maxHeight into the destination, as a bitmap with the given colours (16777216,
// 65536 or 32768). Only reduction is done, by area averaging.
// Returns 1, or -10 unreadable source, -11 region outside horizontally, -12
// region outside vertically, -15 empty result, -16 result larger than the
// region, -20 the destination cannot be written.
int ScaleBitmap(TStreamBuffer& destination, TStreamBuffer& source, std::int32_t maxWidth,
                std::int32_t regionHeight, std::int32_t regionWidth, std::int32_t regionTop,
                std::int32_t regionLeft, std::int32_t maxHeight,
                std::int64_t colours = BmpTrueColours);

// A memory stream that holds one picture, kept in an owning list of pages.
class TPicturePage : public TMemoryStream {
public:
    DynalistOwnerENode<TPicturePage> Node{this};
    std::int32_t Tag = 0;
};

// The page at index with its position set to 0, or null.
TMemoryStream* GetPage(const Dynalist<TPicturePage>& pages, int index);

} // namespace kelvo
