#include "foundation/bitmapstm.h"

#include "foundation/exception.h"
#include "foundation/utilcls.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

namespace kelvo {

namespace {

constexpr std::uint16_t BmpSignature = 0x4D42; // "BM"
constexpr std::int64_t MinPixelOffset = 26;    // file header + core header
constexpr std::int64_t MaxPixelOffset = 5174;
constexpr std::int64_t InfoPixelOffset = 54; // file header + 40-byte header
constexpr std::int64_t MaxCoreSide = 4096;
constexpr std::int64_t MaxInfoSide = 2560;
constexpr std::int32_t PixelsPerMetre = 2835; // 72 dots per inch

std::uint16_t U16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}
std::uint32_t U32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}
std::int32_t S32(const std::uint8_t* p) {
    return static_cast<std::int32_t>(U32(p));
}

void Put16(std::uint8_t*& p, std::uint32_t v) {
    *p++ = static_cast<std::uint8_t>(v);
    *p++ = static_cast<std::uint8_t>(v >> 8);
}
void Put32(std::uint8_t*& p, std::uint32_t v) {
    Put16(p, v & 0xFFFF);
    Put16(p, v >> 16);
}

std::int64_t PaddedRowBytes(std::int64_t width, std::int64_t bits) {
    return (width * bits + 31) / 32 * 4;
}

// The header fields of a bitmap. Fields are read only from bytes that lie
// before the announced pixel offset, which the caller has provided.
struct THeader {
    std::int64_t FileSize = 0;
    std::int64_t PixelOffset = 0;
    std::int64_t InfoSize = 0;
    bool Core = false;
    std::int64_t Width = 0;
    std::int64_t Height = 0;
    std::int64_t Planes = 0;
    std::int64_t Bits = 0;
    std::int64_t Compression = 0;
    std::int64_t ImageSizeField = 0;
    std::int64_t ColoursUsed = 0;
    std::int64_t ColoursImportant = 0;

    THeader(const std::uint8_t* file, const std::uint8_t* info) {
        FileSize = U32(file + 2);
        PixelOffset = U32(file + 10);
        if (PixelOffset < BmpFileHeaderSize + 4)
            return;
        InfoSize = U32(info);
        Core = InfoSize == BmpCoreHeaderSize;
        if (Core) {
            if (PixelOffset < MinPixelOffset)
                return;
            Width = U16(info + 4);
            Height = U16(info + 6);
            Planes = U16(info + 8);
            Bits = U16(info + 10);
            return;
        }
        if (PixelOffset < InfoPixelOffset)
            return;
        Width = S32(info + 4);
        Height = S32(info + 8);
        Planes = U16(info + 12);
        Bits = U16(info + 14);
        Compression = U32(info + 16);
        ImageSizeField = U32(info + 20);
        ColoursUsed = U32(info + 32);
        ColoursImportant = U32(info + 36);
        // Deep uncompressed pictures have no palette: those counts mean nothing.
        if (Bits > 8 && Compression == 0)
            ColoursUsed = ColoursImportant = 0;
    }

    std::int64_t FullPalette() const { return Bits < 63 ? std::int64_t(1) << Bits : 0; }
    std::int64_t PaletteEntries() const {
        if (Core) {
            const std::int64_t fit =
                PixelOffset >= MinPixelOffset ? (PixelOffset - MinPixelOffset) / 3 : 0;
            return std::min(FullPalette(), fit);
        }
        return ColoursUsed == 0 || Bits > 8 ? FullPalette() : ColoursUsed;
    }
    std::int64_t EntryBytes() const { return Core ? 3 : 4; }
    std::int64_t PaletteSize() const { return Bits > 8 ? 0 : PaletteEntries() * EntryBytes(); }
    std::int64_t PaletteOffset() const { return InfoSize + BmpFileHeaderSize; }
    std::int64_t RowBytes() const { return (Bits * Width + 7) / 8; }
    std::int64_t PaddedRow() const { return PaddedRowBytes(Width, Bits); }
    std::int64_t ImageSize() const {
        if (ImageSizeField != 0)
            return ImageSizeField;
        if (Compression != 0)
            return FileSize - PixelOffset;
        return PaddedRow() * Height;
    }
};

int CheckCoreHeader(const THeader& h) {
    if (h.PixelOffset < MinPixelOffset)
        return -20;
    const bool bitsKnown = h.Bits == 1 || h.Bits == 4 || h.Bits == 8 || h.Bits == 24;
    if (h.Width == 0 || h.Width > MaxCoreSide || h.Height == 0 || h.Height > MaxCoreSide ||
        h.Planes != 1 || !bitsKnown)
        return -21;
    const std::int64_t entries = h.PaletteEntries();
    if (h.Bits <= 8 && entries == 0)
        return -22;
    if (h.PixelOffset < MinPixelOffset ||
        (h.Bits <= 8 && h.PixelOffset < MinPixelOffset + 3 * entries))
        return -23;
    if (h.FileSize < h.PixelOffset + h.Height * h.PaddedRow())
        return -26;
    return 20;
}

int CheckLongHeader(const THeader& h) {
    if (h.PixelOffset < InfoPixelOffset)
        return -10;
    if (h.InfoSize < BmpInfoHeaderSize)
        return -12;
    const bool bitsKnown =
        h.Bits == 1 || h.Bits == 4 || h.Bits == 8 || h.Bits == 24 || h.Bits == 32;
    if (h.Width < 1 || h.Width > MaxInfoSide || h.Height < 1 || h.Height > MaxInfoSide ||
        h.Planes != 1 || !bitsKnown || h.ColoursUsed > h.FullPalette() ||
        h.ColoursUsed < h.ColoursImportant || h.Compression > 2)
        return -11;
    const std::int64_t palette = h.Bits <= 8 ? 4 * h.PaletteEntries() : 0;
    if (h.PixelOffset < h.InfoSize + BmpFileHeaderSize + palette)
        return -13;
    if (h.Compression == 0 && h.ImageSizeField != 0 && h.ImageSizeField != h.PaddedRow() * h.Height)
        return -14;
    if (h.Compression != 0 && h.ImageSizeField != 0 &&
        h.ImageSizeField != h.FileSize - h.PixelOffset)
        return -15;
    if (h.FileSize < h.PixelOffset + h.ImageSize())
        return -16;
    return 10;
}

// Walks the rows of a checked, uncompressed bitmap that lies whole in memory.
class TBmpReader {
public:
    TBmpReader(const std::uint8_t* file, const THeader& h)
        : FPalette(file + h.PaletteOffset()), FPixels(file + h.PixelOffset),
          FEntries(h.Bits <= 8 ? h.PaletteEntries() : 0), FEntryBytes(h.EntryBytes()),
          FBits(static_cast<int>(h.Bits)), FHeight(h.Height), FPaddedRow(h.PaddedRow()) {}

    static bool CanRead(std::int64_t bits) {
        return bits == 1 || bits == 4 || bits == 8 || bits == 24;
    }

    // Decodes count pixels from column left of the row at visualRow, counted
    // from the top (rows are stored bottom-up).
    void DecodeRow(std::int64_t visualRow, std::int64_t left, std::int64_t count, TBgr* out) const {
        const std::uint8_t* row = FPixels + (FHeight - 1 - visualRow) * FPaddedRow;
        for (std::int64_t x = left; x < left + count; ++x) {
            switch (FBits) {
            case 24: {
                const std::uint8_t* p = row + 3 * x;
                *out++ = TBgr{p[0], p[1], p[2]};
                break;
            }
            case 8:
                *out++ = Colour(row[x]);
                break;
            case 4: {
                const std::uint8_t byte = row[x / 2];
                *out++ = Colour(x % 2 == 0 ? byte >> 4 : byte & 0x0F);
                break;
            }
            default:
                *out++ = Colour((row[x / 8] >> (7 - x % 8)) & 1);
                break;
            }
        }
    }

private:
    // An index beyond the palette (a file that lies about its colours) reads
    // black rather than whatever follows the palette.
    TBgr Colour(unsigned index) const {
        if (index >= FEntries)
            return TBgr{};
        const std::uint8_t* p = FPalette + index * FEntryBytes;
        return TBgr{p[0], p[1], p[2]};
    }

    const std::uint8_t* FPalette;
    const std::uint8_t* FPixels;
    std::int64_t FEntries;
    std::int64_t FEntryBytes;
    int FBits;
    std::int64_t FHeight;
    std::int64_t FPaddedRow;
};

// Brings the whole bitmap at the source's position into its window and checks
// it against the bytes actually there. Returns the file start or null.
const std::uint8_t* LoadBitmap(TStreamBuffer& source) {
    source.Resize(BmpFileHeaderSize);
    source.Refill(source.Count());
    if (source.Count() < BmpFileHeaderSize || !source.Data() || CheckFileHeader(source.Data()) != 1)
        return nullptr;
    const auto pixelOffset = static_cast<std::int32_t>(U32(source.Data() + 10));
    source.Ensure(pixelOffset - source.Count());
    const std::uint8_t* file = source.Data();
    if (source.Count() < pixelOffset || !file ||
        CheckInfoHeader(file, file + BmpFileHeaderSize) < 0)
        return nullptr;
    const THeader h(file, file + BmpFileHeaderSize);
    if (h.Compression != 0 || !TBmpReader::CanRead(h.Bits))
        return nullptr;
    const std::int64_t pixels = h.PaddedRow() * h.Height;
    if (pixels > std::numeric_limits<std::int32_t>::max() - pixelOffset)
        return nullptr;
    source.Ensure(static_cast<std::int32_t>(pixels));
    file = source.Data();
    if (source.Count() < pixelOffset + pixels || !file)
        return nullptr;
    return file;
}

// Area average of one source row into a destination columns: each source
// column covers a units, each destination column W units of a common axis.
void ScaleRow(const TBgr* row, std::int64_t W, std::int64_t a, TScaledPixel* out) {
    std::uint32_t carryB = 0, carryG = 0, carryR = 0;
    for (std::int64_t j = 0; j < a; ++j) {
        const std::int64_t lo = j * W, hi = lo + W;
        std::uint32_t b = carryB, g = carryG, r = carryR;
        for (std::int64_t i = lo / a; i * a < hi; ++i) {
            const auto overlap =
                static_cast<std::uint32_t>(std::min(hi, (i + 1) * a) - std::max(lo, i * a));
            b += row[i].Blue * overlap;
            g += row[i].Green * overlap;
            r += row[i].Red * overlap;
        }
        const auto w = static_cast<std::uint32_t>(W);
        out[j] = TScaledPixel{b / w, g / w, r / w};
        carryB = b % w;
        carryG = g % w;
        carryR = r % w;
    }
}

} // namespace

int WriteBmpHeaders(TStream* stream, std::int32_t width, std::int32_t height,
                    std::int64_t colours) {
    if (!stream || width == 0 || height == 0)
        return -1;
    const std::int64_t w = std::abs(std::int64_t(width));
    const std::int64_t h = std::abs(std::int64_t(height));
    if (w > 65535 || h > 65535)
        return -4;
    if (colours < 0 || colours > BmpTrueColours)
        return -6;
    const auto highest = static_cast<std::uint32_t>((colours - 1) & 0xFFFFFF);
    const int needed = std::max(1, static_cast<int>(std::bit_width(highest)));

    std::int64_t bitsPerPixel = 24;
    std::uint32_t compression = 0;
    std::int64_t pixelOffset = InfoPixelOffset;
    std::uint32_t used = 0;
    if (needed == 15 || needed == 16) {
        bitsPerPixel = 16;
        compression = 3;
        pixelOffset += 12;
    } else if (needed <= 8) {
        bitsPerPixel = 8;
        used = static_cast<std::uint32_t>(colours);
        pixelOffset += 4 * std::int64_t(used);
    } else if (needed != 24) {
        return -6;
    }
    const std::int64_t imageSize = h * PaddedRowBytes(w, bitsPerPixel);
    // The sizes must fit their 32-bit fields.
    if (imageSize + pixelOffset > 0xFFFFFFFF)
        return -4;

    std::uint8_t headers[InfoPixelOffset + 12];
    std::uint8_t* p = headers;
    Put16(p, BmpSignature);
    Put32(p, static_cast<std::uint32_t>(imageSize + pixelOffset));
    Put16(p, 0);
    Put16(p, 0);
    Put32(p, static_cast<std::uint32_t>(pixelOffset));
    Put32(p, BmpInfoHeaderSize);
    Put32(p, static_cast<std::uint32_t>(width));
    Put32(p, static_cast<std::uint32_t>(height));
    Put16(p, 1);
    Put16(p, static_cast<std::uint32_t>(bitsPerPixel));
    Put32(p, compression);
    Put32(p, static_cast<std::uint32_t>(imageSize));
    Put32(p, PixelsPerMetre);
    Put32(p, PixelsPerMetre);
    Put32(p, used);
    Put32(p, used);
    if (compression == 3) {
        const bool sixBitGreen = needed == 16;
        Put32(p, sixBitGreen ? 0xF800 : 0x7C00);
        Put32(p, sixBitGreen ? 0x07E0 : 0x03E0);
        Put32(p, 0x001F);
    }
    return stream->Write(headers, static_cast<std::int32_t>(p - headers));
}

int CheckFileHeader(const std::uint8_t* file) {
    if (!file)
        return -1;
    const std::int64_t fileSize = U32(file + 2);
    const std::int64_t pixelOffset = U32(file + 10);
    if (U16(file) != BmpSignature || fileSize <= pixelOffset || pixelOffset < MinPixelOffset ||
        pixelOffset > MaxPixelOffset || U16(file + 6) != 0 || U16(file + 8) != 0)
        return -1;
    return 1;
}

int CheckInfoHeader(const std::uint8_t* file, const std::uint8_t* info) {
    const THeader h(file, info);
    return h.Core ? CheckCoreHeader(h) : CheckLongHeader(h);
}

int CheckBitmap(const std::uint8_t* file, std::int64_t expectedSize) {
    if (CheckFileHeader(file) != 1 || (expectedSize != 0 && expectedSize != U32(file + 2)))
        return -3;
    return CheckInfoHeader(file, file + BmpFileHeaderSize);
}

std::int64_t BmpProperty(const std::uint8_t* file, int index) {
    const THeader h(file, file + BmpFileHeaderSize);
    switch (index) {
    case BmpIsCore:
        return h.Core ? 1 : 0;
    case BmpWidth:
        return h.Width;
    case BmpHeight:
        return h.Height;
    case BmpBitsPerPixel:
        return h.Bits;
    case BmpPaletteEntries:
        return h.PaletteEntries();
    case BmpRowBytes:
        return h.RowBytes();
    case BmpPaddedRowBytes:
        return h.PaddedRow();
    case BmpRowPadding:
        return h.PaddedRow() - h.RowBytes();
    case BmpImageSize:
        return h.ImageSize();
    case BmpPixelOffset:
        return h.PixelOffset;
    case BmpCompression:
        return h.Compression;
    case BmpPaletteSize:
        return h.PaletteSize();
    case BmpPaletteOffset:
        return h.PaletteOffset();
    default:
        return 0;
    }
}

std::uint16_t PackPixel565(TBgr pixel) {
    return static_cast<std::uint16_t>(pixel.Blue / 8 | (pixel.Green / 4) << 5 |
                                      (pixel.Red / 8) << 11);
}

std::uint16_t PackPixel555(TBgr pixel) {
    return static_cast<std::uint16_t>(pixel.Blue / 8 | (pixel.Green / 8) << 5 |
                                      (pixel.Red / 8) << 10);
}

TBgr UnpackPixel565(std::uint16_t v) {
    return TBgr{static_cast<std::uint8_t>(v * 8 % 256), static_cast<std::uint8_t>((v / 8) & 0xFC),
                static_cast<std::uint8_t>((v / 256) & 0xF8)};
}

TBgr UnpackPixel555(std::uint16_t v) {
    return TBgr{static_cast<std::uint8_t>(v * 8 % 256), static_cast<std::uint8_t>((v / 4) & 0xF8),
                static_cast<std::uint8_t>((v / 128) & 0xF8)};
}

int ScaleBitmap(TStreamBuffer& destination, TStreamBuffer& source, std::int32_t maxWidth,
                std::int32_t regionHeight, std::int32_t regionWidth, std::int32_t regionTop,
                std::int32_t regionLeft, std::int32_t maxHeight, std::int64_t colours) {
    // The stream layer raises when memory for the window runs out; this
    // function answers with codes only.
    const std::uint8_t* file = nullptr;
    try {
        file = LoadBitmap(source);
    } catch (const EStreamError&) {
        return -10;
    } catch (const std::bad_alloc&) {
        return -10;
    }
    if (!file)
        return -10;
    const THeader h(file, file + BmpFileHeaderSize);
    const TBmpReader reader(file, h);

    if (regionLeft < 0 || regionWidth < 0 || regionLeft >= h.Width)
        return -11;
    const std::int64_t W = regionWidth ? regionWidth : h.Width - regionLeft;
    if (regionLeft + W > h.Width)
        return -11;
    if (regionTop < 0 || regionHeight < 0 || regionTop >= h.Height)
        return -12;
    const std::int64_t H = regionHeight ? regionHeight : h.Height - regionTop;
    if (regionTop + H > h.Height)
        return -12;

    // The largest size with the region's aspect ratio that fits the box.
    const std::int64_t A = maxWidth, B = maxHeight;
    std::int64_t a = A, b = A * H / W;
    if (A >= B * W / H) {
        a = B * W / H;
        b = B;
    }
    if (a <= 0 || b <= 0)
        return -15;
    if (a > W || b > H)
        return -16;

    if (colours == 0)
        colours = BmpTrueColours;
    if (colours != BmpTrueColours && colours != 65536 && colours != 32768)
        return -20;
    const std::int64_t pixelBytes = colours == BmpTrueColours ? 3 : 2;
    const std::int64_t padded = PaddedRowBytes(a, pixelBytes * 8);
    const std::int64_t total = padded * b;
    if (destination.Count() != 0)
        return -20;
    // Writing raises when the destination refuses bytes or memory runs out.
    try {
        const int headerBytes = WriteBmpHeaders(&destination, static_cast<std::int32_t>(a),
                                                static_cast<std::int32_t>(b), colours);
        if (headerBytes != (pixelBytes == 3 ? InfoPixelOffset : InfoPixelOffset + 12))
            return -20;
        destination.Resize(static_cast<std::int32_t>(total));
        std::uint8_t* out = destination.Data();
        if (!out || destination.Capacity() < total)
            return -20;
        std::memset(out, 0, static_cast<std::size_t>(total));

        std::vector<TBgr> sourceRow(static_cast<std::size_t>(W));
        TAPtr<TScaledPixel> rowSums(static_cast<std::size_t>(a));
        TAPtr<TScaledPixel> columnSums(static_cast<std::size_t>(a));
        const auto vertical = static_cast<std::uint32_t>(H);
        for (std::int64_t s = 0; s < b; ++s) {
            std::fill_n(columnSums.Get(), a, TScaledPixel{});
            // Destination row s covers [s*H, (s+1)*H), source row r [r*b, (r+1)*b);
            // a source row shared by two destination rows is read for each.
            const std::int64_t lo = s * H, hi = lo + H;
            for (std::int64_t r = lo / b; r * b < hi; ++r) {
                const auto overlap =
                    static_cast<std::uint32_t>(std::min(hi, (r + 1) * b) - std::max(lo, r * b));
                reader.DecodeRow(regionTop + r, regionLeft, W, sourceRow.data());
                ScaleRow(sourceRow.data(), W, a, rowSums.Get());
                for (std::int64_t j = 0; j < a; ++j) {
                    columnSums[j].Blue += rowSums[j].Blue * overlap;
                    columnSums[j].Green += rowSums[j].Green * overlap;
                    columnSums[j].Red += rowSums[j].Red * overlap;
                }
            }
            std::uint8_t* row = out + (b - 1 - s) * padded;
            for (std::int64_t j = 0; j < a; ++j) {
                const TBgr pixel{static_cast<std::uint8_t>(columnSums[j].Blue / vertical),
                                 static_cast<std::uint8_t>(columnSums[j].Green / vertical),
                                 static_cast<std::uint8_t>(columnSums[j].Red / vertical)};
                if (pixelBytes == 3) {
                    *row++ = pixel.Blue;
                    *row++ = pixel.Green;
                    *row++ = pixel.Red;
                } else {
                    Put16(row, colours == 65536 ? PackPixel565(pixel) : PackPixel555(pixel));
                }
            }
        }

        destination.Flush(static_cast<std::int32_t>(total));
    } catch (const EStreamError&) {
        return -20;
    } catch (const std::bad_alloc&) {
        return -20;
    }
    return 1;
}

TMemoryStream* GetPage(const Dynalist<TPicturePage>& pages, int index) {
    TPicturePage* page = pages.EntryAt(index);
    if (!page)
        return nullptr;
    page->SetPosition(0);
    return page;
}

} // namespace kelvo
