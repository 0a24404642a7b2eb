#include "foundation/bitmapstm.h"
#include "foundation/exception.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace kelvo;

namespace {

using TBytes = std::vector<std::uint8_t>;

// The fixtures come from PIL (see fixtures/make_bitmaps.py); NAME.rgb holds the
// pixels PIL decodes from NAME.bmp, top row first, red, green, blue.
TBytes Fixture(const std::string& name) {
    std::ifstream f(std::string(KELVO_BMP_FIXTURES) + "/" + name, std::ios::binary);
    EXPECT_TRUE(f.good()) << name;
    return TBytes(std::istreambuf_iterator<char>(f), {});
}

void Set16(TBytes& b, std::size_t at, std::uint32_t v) {
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void Set32(TBytes& b, std::size_t at, std::uint32_t v) {
    Set16(b, at, v & 0xFFFF);
    Set16(b, at + 2, v >> 16);
}
std::uint32_t Get32(const std::uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t(p[3]) << 24;
}

struct TPicture {
    int Width = 0;
    int Height = 0;
    int Bits = 0;
    TBytes Rgb; // top row first
};

// Reads back a bitmap this system wrote (40-byte header, 16 or 24 bits).
TPicture Parse(const TMemoryStream& m) {
    const std::uint8_t* p = m.Memory();
    TPicture pic;
    pic.Width = static_cast<int>(Get32(p + 18));
    pic.Height = static_cast<int>(Get32(p + 22));
    pic.Bits = p[28];
    const int bytes = pic.Bits / 8;
    const int padded = (pic.Width * pic.Bits + 31) / 32 * 4;
    EXPECT_EQ(m.Length(), Get32(p + 2));
    for (int y = 0; y < pic.Height; ++y) {
        const std::uint8_t* row = p + Get32(p + 10) + (pic.Height - 1 - y) * padded;
        for (int x = 0; x < pic.Width; ++x) {
            const std::uint8_t* px = row + x * bytes;
            TBgr c{px[0], px[1], px[2]};
            if (bytes == 2)
                c = UnpackPixel565(static_cast<std::uint16_t>(px[0] | px[1] << 8));
            pic.Rgb.insert(pic.Rgb.end(), {c.Red, c.Green, c.Blue});
        }
    }
    return pic;
}

// A 24-bit picture of this system's own making; pixel (x, y) from top left.
template <class F> TBytes MakePicture(int w, int h, F colour) {
    TMemoryStream m;
    EXPECT_EQ(WriteBmpHeaders(&m, w, h, 0), 54);
    const int padded = (w * 24 + 31) / 32 * 4;
    TBytes pixels(static_cast<std::size_t>(padded * h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const TBgr c = colour(x, y);
            std::uint8_t* p = &pixels[static_cast<std::size_t>((h - 1 - y) * padded + 3 * x)];
            p[0] = c.Blue;
            p[1] = c.Green;
            p[2] = c.Red;
        }
    m.Write(pixels.data(), static_cast<std::int32_t>(pixels.size()));
    return TBytes(m.Memory(), m.Memory() + m.Length());
}

// Scales a bitmap held in memory into a box; the result code and the copy.
int Scale(const TBytes& bmp, int boxWidth, int boxHeight, TMemoryStream& out, int top = 0,
          int left = 0, int height = 0, int width = 0, std::int64_t colours = BmpTrueColours) {
    TBytes copy = bmp; // exactly the file's bytes: any read past them is caught by sanitizers
    TStaticStreamBuffer source(copy.data(), static_cast<std::int32_t>(copy.size()));
    TDynaStreamBuffer destination(&out);
    return ScaleBitmap(destination, source, boxWidth, height, width, top, left, boxHeight, colours);
}

TBytes SubRectangle(const TBytes& rgb, int w, int top, int left, int height, int width) {
    TBytes out;
    for (int y = top; y < top + height; ++y)
        out.insert(out.end(), rgb.begin() + 3 * (y * w + left),
                   rgb.begin() + 3 * (y * w + left + width));
    return out;
}

struct TFixtureInfo {
    const char* Name;
    int Check;
    int Bits;
    std::int64_t Entries;
};
const TFixtureInfo Fixtures[] = {
    {"rgb24", 10, 24, 16777216}, {"pal8", 10, 8, 256}, {"gray8", 10, 8, 256},
    {"pal4", 10, 4, 16},         {"mono1", 10, 1, 2},  {"core24", 20, 24, 0},
    {"core8", 20, 8, 256},       {"core4", 20, 4, 16}, {"core1", 20, 1, 2},
};

} // namespace

TEST(Bitmap, FilesWrittenByAnIndependentToolAreCheckedAndDecoded) {
    for (const TFixtureInfo& f : Fixtures) {
        SCOPED_TRACE(f.Name);
        const TBytes bmp = Fixture(std::string(f.Name) + ".bmp");
        const TBytes rgb = Fixture(std::string(f.Name) + ".rgb");
        ASSERT_GT(bmp.size(), 26u);
        EXPECT_EQ(CheckBitmap(bmp.data(), static_cast<std::int64_t>(bmp.size())), f.Check);
        EXPECT_EQ(CheckBitmap(bmp.data(), static_cast<std::int64_t>(bmp.size()) + 1), -3);
        EXPECT_EQ(BmpProperty(bmp.data(), BmpIsCore), f.Check == 20 ? 1 : 0);
        EXPECT_EQ(BmpProperty(bmp.data(), BmpWidth), 13);
        EXPECT_EQ(BmpProperty(bmp.data(), BmpHeight), 7);
        EXPECT_EQ(BmpProperty(bmp.data(), BmpBitsPerPixel), f.Bits);
        EXPECT_EQ(BmpProperty(bmp.data(), BmpPaletteEntries), f.Entries);
        EXPECT_EQ(BmpProperty(bmp.data(), BmpPixelOffset) + BmpProperty(bmp.data(), BmpImageSize),
                  static_cast<std::int64_t>(bmp.size()));

        // A box of the picture's own size copies every pixel unchanged.
        TMemoryStream out;
        ASSERT_EQ(Scale(bmp, 13, 7, out), 1);
        const TPicture pic = Parse(out);
        EXPECT_EQ(pic.Width, 13);
        EXPECT_EQ(pic.Height, 7);
        EXPECT_EQ(pic.Bits, 24);
        EXPECT_EQ(pic.Rgb, rgb);
    }
}

TEST(Bitmap, ReadsThroughAFileAndWritesThroughATrueBuffer) {
    TFileStream file(std::string(KELVO_BMP_FIXTURES) + "/pal4.bmp", TFileStream::OpenRead);
    ASSERT_TRUE(file.IsOpen());
    TTrueStreamBuffer source(file);
    TMemoryStream out;
    TTrueStreamBuffer destination(out);
    ASSERT_EQ(ScaleBitmap(destination, source, 13, 0, 0, 0, 0, 7), 1);
    EXPECT_EQ(Parse(out).Rgb, Fixture("pal4.rgb"));
}

TEST(Bitmap, PropertiesOfPalettesAndRows) {
    const TBytes pal4 = Fixture("pal4.bmp");
    EXPECT_EQ(BmpProperty(pal4.data(), BmpRowBytes), 7);
    EXPECT_EQ(BmpProperty(pal4.data(), BmpRowPadding), 1);
    EXPECT_EQ(BmpProperty(pal4.data(), BmpPaletteSize), 64);
    const TBytes core4 = Fixture("core4.bmp");
    EXPECT_EQ(BmpProperty(core4.data(), BmpPaletteSize), 48);
    // The core form has no colour count: only the entries before the pixels count.
    TBytes shortPalette = core4;
    Set32(shortPalette, 10, 26 + 3 * 5 + 1);
    EXPECT_EQ(BmpProperty(shortPalette.data(), BmpPaletteEntries), 5);
}

TEST(Bitmap, FileHeaderBounds) {
    TBytes h(14);
    h[0] = 'B';
    h[1] = 'M';
    Set32(h, 2, 6000);
    Set32(h, 10, 5174);
    EXPECT_EQ(CheckFileHeader(h.data()), 1);
    Set32(h, 10, 5175);
    EXPECT_EQ(CheckFileHeader(h.data()), -1);
    Set32(h, 10, 26);
    EXPECT_EQ(CheckFileHeader(h.data()), 1);
    Set32(h, 10, 25);
    EXPECT_EQ(CheckFileHeader(h.data()), -1);
    Set32(h, 10, 6000); // the pixels would start at the file's end
    EXPECT_EQ(CheckFileHeader(h.data()), -1);
    Set32(h, 10, 54);
    Set16(h, 8, 1);
    EXPECT_EQ(CheckFileHeader(h.data()), -1);
    Set16(h, 8, 0);
    h[1] = 'A';
    EXPECT_EQ(CheckFileHeader(h.data()), -1);
}

TEST(Bitmap, HeadersThatLieGiveTheirErrorCodes) {
    struct TLie {
        const char* Base;
        std::size_t At;
        int Width; // 2 or 4 bytes
        std::uint32_t Value;
        int Expected;
    };
    const TLie lies[] = {
        {"rgb24", 22, 4, static_cast<std::uint32_t>(-10), -11}, // rows top-down
        {"rgb24", 18, 4, 2561, -11},
        {"rgb24", 18, 4, 0, -11},
        {"rgb24", 26, 2, 2, -11},
        {"rgb24", 28, 2, 16, -11},
        {"rgb24", 30, 4, 3, -11},
        {"rgb24", 14, 4, 30, -12},
        {"rgb24", 14, 4, 0xFFFFFFF0u, -13},
        {"rgb24", 10, 4, 50, -10},
        {"rgb24", 34, 4, 281, -14},
        {"rgb24", 2, 4, 333, -16},
        {"rgb24", 46, 4, 5, 10}, // no palette: the colour counts mean nothing
        {"pal8", 46, 4, 257, -11},
        {"pal8", 50, 4, 300, -11},
        {"pal8", 10, 4, 1077, -13},
        {"core8", 18, 2, 0, -21},
        {"core8", 18, 2, 4097, -21},
        {"core8", 20, 2, 0, -21},
        {"core8", 22, 2, 0, -21},
        {"core8", 24, 2, 16, -21},
        {"core8", 10, 4, 27, -22},
        {"core8", 10, 4, 29, 20},
        {"core8", 2, 4, 905, -26},
    };
    for (const TLie& lie : lies) {
        SCOPED_TRACE(std::string(lie.Base) + " @" + std::to_string(lie.At));
        TBytes b = Fixture(std::string(lie.Base) + ".bmp");
        if (lie.Width == 2)
            Set16(b, lie.At, lie.Value);
        else
            Set32(b, lie.At, lie.Value);
        EXPECT_EQ(CheckBitmap(b.data()), lie.Expected);
        TMemoryStream out;
        EXPECT_EQ(Scale(b, 13, 7, out), lie.Expected > 0 ? 1 : -10);
    }

    // A core header behind a pixel offset that leaves no room for it.
    TBytes core = Fixture("core24.bmp");
    Set32(core, 10, 20);
    EXPECT_EQ(CheckInfoHeader(core.data(), core.data() + 14), -20);

    // Run-length pictures are sized and accepted, but not scaled.
    TBytes rle = Fixture("pal8.bmp");
    Set32(rle, 30, 1);
    Set32(rle, 34, 0);
    EXPECT_EQ(CheckBitmap(rle.data()), 10);
    EXPECT_EQ(BmpProperty(rle.data(), BmpImageSize), 112);
    Set32(rle, 34, 100);
    EXPECT_EQ(CheckBitmap(rle.data()), -15);
    TMemoryStream out;
    Set32(rle, 34, 0);
    EXPECT_EQ(Scale(rle, 13, 7, out), -10);

    // Deep pictures without a pixel reader are refused.
    TBytes deep = Fixture("rgb24.bmp");
    Set16(deep, 28, 32);
    Set32(deep, 34, 0);
    Set32(deep, 2, 54 + 13 * 4 * 7);
    EXPECT_EQ(CheckBitmap(deep.data()), 10);
    EXPECT_EQ(Scale(deep, 13, 7, out), -10);
}

TEST(Bitmap, TruncatedFilesAreRefusedWithoutReadingPastThem) {
    for (const char* name : {"pal8", "core24", "mono1", "pal4"}) {
        SCOPED_TRACE(name);
        const TBytes bmp = Fixture(std::string(name) + ".bmp");
        for (std::size_t n = 0; n < bmp.size(); ++n) {
            TMemoryStream out;
            ASSERT_EQ(Scale(TBytes(bmp.begin(), bmp.begin() + static_cast<long>(n)), 13, 7, out),
                      -10)
                << n;
        }
        // Through a file-like source too.
        TMemoryStream m;
        m.Write(bmp.data(), static_cast<std::int32_t>(bmp.size() - 1));
        m.SetPosition(0);
        TTrueStreamBuffer source(m);
        TDynaStreamBuffer destination;
        EXPECT_EQ(ScaleBitmap(destination, source, 13, 0, 0, 0, 0, 7), -10);
    }
}

TEST(Bitmap, PaletteIndicesBeyondTheColoursUsedReadBlack) {
    TBytes bmp = Fixture("pal4.bmp");
    Set32(bmp, 46, 2);
    Set32(bmp, 50, 2);
    ASSERT_EQ(CheckBitmap(bmp.data()), 10);
    TMemoryStream out;
    ASSERT_EQ(Scale(bmp, 13, 7, out), 1);
    const TBytes rgb = Parse(out).Rgb;
    const TBytes full = Fixture("pal4.rgb");
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 13; ++x) {
            const std::size_t i = static_cast<std::size_t>(3 * (y * 13 + x));
            const bool inPalette = (x + 2 * y) % 16 < 2;
            EXPECT_EQ(rgb[i], inPalette ? full[i] : 0) << x << "," << y;
        }
}

TEST(ScaleBitmap, FitsTheBoxKeepingTheAspectRatioAndOnlyReduces) {
    const auto grey = [](int, int) { return TBgr{9, 9, 9}; };
    TMemoryStream out;
    ASSERT_EQ(Scale(MakePicture(100, 50, grey), 32, 32, out), 1);
    TPicture pic = Parse(out);
    EXPECT_EQ(pic.Width, 32);
    EXPECT_EQ(pic.Height, 16);
    EXPECT_EQ(pic.Rgb, TBytes(32 * 16 * 3, 9));

    TMemoryStream tall;
    ASSERT_EQ(Scale(MakePicture(50, 100, grey), 32, 32, tall), 1);
    pic = Parse(tall);
    EXPECT_EQ(pic.Width, 16);
    EXPECT_EQ(pic.Height, 32);

    TMemoryStream none;
    EXPECT_EQ(Scale(MakePicture(20, 20, grey), 32, 32, none), -16);
    EXPECT_EQ(Scale(MakePicture(20, 20, grey), 0, 32, none), -15);
    EXPECT_EQ(Scale(MakePicture(20, 20, grey), 32, 0, none), -15);
    EXPECT_EQ(Scale(MakePicture(100, 1, grey), 32, 32, none), -15);
    EXPECT_EQ(none.Length(), 0);
}

TEST(ScaleBitmap, AveragesByAreaAndCarriesRemaindersAlongTheRow) {
    // Columns 0, 2, 1 into two: (0*2 + 2*1) / 3 = 0 rest 2; (2 + 2*1 + 1*2) / 3 = 2.
    const auto columns = [](int x, int) {
        const std::uint8_t v[] = {0, 2, 1};
        return TBgr{v[x], 0, 0};
    };
    TMemoryStream out;
    ASSERT_EQ(Scale(MakePicture(3, 3, columns), 2, 2, out), 1);
    TPicture pic = Parse(out);
    ASSERT_EQ(pic.Width, 2);
    EXPECT_EQ(pic.Rgb, (TBytes{0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 2}));

    // Four pixels into one: rows average to 15 and 35, then (15 + 35) / 2.
    const auto four = [](int x, int y) {
        const std::uint8_t v[2][2] = {{10, 20}, {30, 41}};
        return TBgr{0, v[y][x], 0};
    };
    TMemoryStream one;
    ASSERT_EQ(Scale(MakePicture(2, 2, four), 1, 1, one), 1);
    EXPECT_EQ(Parse(one).Rgb, (TBytes{0, 25, 0}));

    // Rows 0..3 (values 0, 40, 80, 120) into three: each output row covers 4/3 rows.
    const auto rows = [](int, int y) { return TBgr{0, 0, static_cast<std::uint8_t>(40 * y)}; };
    TMemoryStream three;
    ASSERT_EQ(Scale(MakePicture(4, 4, rows), 3, 3, three), 1);
    pic = Parse(three);
    ASSERT_EQ(pic.Height, 3);
    // (0*3 + 40*1)/4 = 10, (40*2 + 80*2)/4 = 60, (80*1 + 120*3)/4 = 110
    EXPECT_EQ(pic.Rgb[0], 10);
    EXPECT_EQ(pic.Rgb[9], 60);
    EXPECT_EQ(pic.Rgb[18], 110);
}

TEST(ScaleBitmap, RegionsAreCountedFromTheTopLeftAndMustLieInside) {
    const TBytes bmp = Fixture("rgb24.bmp");
    const TBytes rgb = Fixture("rgb24.rgb");
    TMemoryStream out;
    // A 6 x 3 region at row 2, column 4, copied in its own size.
    ASSERT_EQ(Scale(bmp, 6, 3, out, 2, 4, 3, 6), 1);
    EXPECT_EQ(Parse(out).Rgb, SubRectangle(rgb, 13, 2, 4, 3, 6));
    // Size 0 takes the rest of the picture.
    TMemoryStream rest;
    ASSERT_EQ(Scale(bmp, 9, 2, rest, 5, 4, 0, 0), 1);
    EXPECT_EQ(Parse(rest).Rgb, SubRectangle(rgb, 13, 5, 4, 2, 9));

    TMemoryStream none;
    EXPECT_EQ(Scale(bmp, 6, 3, none, 0, 8, 3, 6), -11);
    EXPECT_EQ(Scale(bmp, 6, 3, none, 0, -1, 3, 6), -11);
    EXPECT_EQ(Scale(bmp, 6, 3, none, 0, 13, 0, 0), -11);
    EXPECT_EQ(Scale(bmp, 6, 3, none, 5, 0, 3, 6), -12);
    EXPECT_EQ(Scale(bmp, 6, 3, none, 7, 0, 0, 0), -12);
}

TEST(ScaleBitmap, WritesSixteenBitPicturesAndRefusesUnwritableDestinations) {
    const TBytes bmp = Fixture("rgb24.bmp");
    const TBytes rgb = Fixture("rgb24.rgb");
    TMemoryStream out;
    ASSERT_EQ(Scale(bmp, 13, 7, out, 0, 0, 0, 0, 65536), 1);
    const TPicture pic = Parse(out);
    EXPECT_EQ(pic.Bits, 16);
    EXPECT_EQ(Get32(out.Memory() + 30), 3u);
    for (std::size_t i = 0; i < rgb.size(); i += 3) {
        const TBgr expected = UnpackPixel565(PackPixel565(TBgr{rgb[i + 2], rgb[i + 1], rgb[i]}));
        EXPECT_EQ((TBgr{pic.Rgb[i + 2], pic.Rgb[i + 1], pic.Rgb[i]}), expected);
    }

    TMemoryStream none;
    EXPECT_EQ(Scale(bmp, 13, 7, none, 0, 0, 0, 0, 256), -20);

    // Room for the headers but not for the pixels.
    TBytes copy = bmp;
    TStaticStreamBuffer source(copy.data(), static_cast<std::int32_t>(copy.size()));
    std::uint8_t small[100] = {};
    TStaticStreamBuffer destination(small, sizeof small);
    EXPECT_EQ(ScaleBitmap(destination, source, 13, 0, 0, 0, 0, 7), -20);

    // A destination that takes fewer bytes than it is given.
    copy = bmp;
    TStaticStreamBuffer source2(copy.data(), static_cast<std::int32_t>(copy.size()));
    TStaticStreamBuffer sink(small, 200 > sizeof small ? sizeof small : 200);
    TTrueStreamBuffer shortWriter(sink);
    EXPECT_EQ(ScaleBitmap(shortWriter, source2, 13, 0, 0, 0, 0, 7), -20);
}

TEST(Bitmap, WriteBmpHeadersChoosesTheDepthFromTheColours) {
    TMemoryStream m;
    EXPECT_EQ(WriteBmpHeaders(&m, 10, 3, 256), 54);
    const std::uint8_t* p = m.Memory();
    EXPECT_EQ(p[28], 8);
    EXPECT_EQ(Get32(p + 10), 54u + 1024u);
    EXPECT_EQ(Get32(p + 46), 256u);
    EXPECT_EQ(Get32(p + 34), 12u * 3);
    EXPECT_EQ(Get32(p + 2), 54u + 1024 + 36);

    TMemoryStream m16;
    EXPECT_EQ(WriteBmpHeaders(&m16, 3, 2, 65536), 66);
    EXPECT_EQ(m16.Memory()[28], 16);
    EXPECT_EQ(Get32(m16.Memory() + 54), 0xF800u);
    TMemoryStream m15;
    EXPECT_EQ(WriteBmpHeaders(&m15, 3, 2, 32768), 66);
    EXPECT_EQ(Get32(m15.Memory() + 54), 0x7C00u);

    TMemoryStream m24;
    EXPECT_EQ(WriteBmpHeaders(&m24, 5, -4, 0), 54);
    EXPECT_EQ(m24.Memory()[28], 24);
    EXPECT_EQ(Get32(m24.Memory() + 34), 16u * 4);

    EXPECT_EQ(WriteBmpHeaders(nullptr, 5, 4, 0), -1);
    EXPECT_EQ(WriteBmpHeaders(&m24, 0, 4, 0), -1);
    EXPECT_EQ(WriteBmpHeaders(&m24, 65536, 4, 0), -4);
    EXPECT_EQ(WriteBmpHeaders(&m24, 5, -65536, 0), -4);
    EXPECT_EQ(WriteBmpHeaders(&m24, 65535, 65535, 0), -4); // sizes beyond 32 bits
    EXPECT_EQ(WriteBmpHeaders(&m24, 5, 4, 1000), -6);
    EXPECT_EQ(WriteBmpHeaders(&m24, 5, 4, 16777217), -6);
}

TEST(PicturePage, PagesAreFoundByIndexFromTheStart) {
    Dynalist<TPicturePage> pages;
    auto* first = new TPicturePage;
    auto* second = new TPicturePage;
    EXPECT_EQ(first->Tag, 0);
    pages.Append(first->Node);
    pages.Append(second->Node);
    second->Write("abc", 3);
    EXPECT_EQ(GetPage(pages, 1), second);
    EXPECT_EQ(second->Position(), 0);
    EXPECT_EQ(GetPage(pages, 0), first);
    EXPECT_EQ(GetPage(pages, 2), nullptr);
    EXPECT_EQ(GetPage(pages, -1), nullptr);
    pages.Clear();
    EXPECT_EQ(pages.Count(), 0);
}

namespace {

// A stream whose layer raises on every transfer, the way a memory stream does
// when it cannot grow.
class TRaisingStream : public TStream {
public:
    std::int32_t Read(void*, std::int32_t) override { throw EStreamError("read refused"); }
    std::int32_t Write(const void*, std::int32_t) override { throw EStreamError("write refused"); }
    std::int64_t Seek(std::int64_t, int) override { return 0; }
};

} // namespace

TEST(ScaleBitmap, RaisingStreamsGiveCodesNotExceptions) {
    TRaisingStream raising;
    TTrueStreamBuffer unreadable(raising);
    TDynaStreamBuffer destination;
    EXPECT_EQ(ScaleBitmap(destination, unreadable, 13, 0, 0, 0, 0, 7), -10);

    TBytes bmp = Fixture("rgb24.bmp");
    TStaticStreamBuffer source(bmp.data(), static_cast<std::int32_t>(bmp.size()));
    TTrueStreamBuffer unwritable(raising);
    EXPECT_EQ(ScaleBitmap(unwritable, source, 13, 0, 0, 0, 0, 7), -20);
}
