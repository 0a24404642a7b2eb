#include "foundation/filetype/fileinfo.h"

#include "foundation/stream.h"
#include "text_document.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>
#include <time.h>

using namespace kelvo;
using kelvo::test::TScratchDir;

namespace {

// Local time is UTC while one of these exists, so written dates are fixed.
class TUtcScope {
public:
    TUtcScope() {
        if (const char* tz = std::getenv("TZ"))
            Saved = tz, HadTz = true;
        ::setenv("TZ", "UTC", 1);
        ::tzset();
    }
    ~TUtcScope() {
        if (HadTz)
            ::setenv("TZ", Saved.c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }

private:
    std::string Saved;
    bool HadTz = false;
};

TFileInfo OnDiskRecord(std::uint64_t size, std::uint32_t attributes) {
    TFileInfo info;
    info.SetName("/data/pump.dat");
    info.Flags = TFileInfo::OnDisk;
    info.Data.Attributes = attributes;
    info.Data.LastWriteTime = TFileTime::FromUnix(1709646330, 0); // 2024-03-05 13:45:30 UTC
    info.Data.SizeHigh = static_cast<std::uint32_t>(size >> 32);
    info.Data.SizeLow = static_cast<std::uint32_t>(size);
    return info;
}

} // namespace

TEST(FileInfoText, NewEmptyAndChangedDocuments) {
    TFileInfo info;
    EXPECT_EQ(info.GetInfoText(), "File name:\t\n\nFile size:\t0 byte  (empty)");

    info.SetNoFile(120);
    info.Name = "pump.dat";
    EXPECT_EQ(info.GetInfoText(), "File name:\tpump.dat\n\nFile size:\t120 byte  (new)");

    info.SetModified(TFileInfo::UndeterminedSize);
    EXPECT_TRUE(info.Has(TFileInfo::SizeUndetermined));
    EXPECT_TRUE(info.IsModified());
    EXPECT_EQ(info.GetInfoText(), "File name:\tpump.dat\n\nFile size:\tUnknown  (modified)");

    info.SetModified(77);
    EXPECT_FALSE(info.Has(TFileInfo::SizeUndetermined));
    EXPECT_EQ(info.GetInfoText(), "File name:\tpump.dat\n\nFile size:\t77 byte  (modified)");

    // Changed but nothing in it: nothing to lose.
    info.SetModified(0);
    EXPECT_FALSE(info.IsModified());
    EXPECT_EQ(info.GetInfoText(), "File name:\tpump.dat\n\nFile size:\t0 byte  (empty)");
}

TEST(FileInfoText, WrittenFileShowsLocalDateTimeAndAttributes) {
    TUtcScope utc;
    const TFileInfo info =
        OnDiskRecord(2048, TFileInformation::AttrReadOnly | TFileInformation::AttrHidden);
    EXPECT_EQ(info.GetInfoText(), "File name:\t/data/pump.dat\n\nFile size:\t2048 byte"
                                  " written on Tuesday, March 5, 2024 at 13:45:30  r-h-");
}

TEST(FileInfoText, SizesBeyondFourGibibytesKeepAllBits) {
    TUtcScope utc;
    const std::uint64_t size = (std::uint64_t(5) << 32) + 17; // 21474836497
    const TFileInfo onDisk = OnDiskRecord(size, TFileInformation::AttrNormal);
    EXPECT_EQ(onDisk.Size(), size);
    EXPECT_NE(onDisk.GetInfoText().find("File size:\t21474836497 byte written on"),
              std::string::npos);

    TFileInfo unsaved;
    unsaved.SetNoFile(static_cast<std::int64_t>(size));
    EXPECT_FALSE(unsaved.Has(TFileInfo::SizeUndetermined));
    EXPECT_EQ(unsaved.GetInfoText(), "File name:\t\n\nFile size:\t21474836497 byte  (new)");

    // One word all ones alone is a real size, not an undetermined one.
    unsaved.SetNoFile(0xFFFFFFFFLL);
    EXPECT_FALSE(unsaved.Has(TFileInfo::SizeUndetermined));
    EXPECT_EQ(unsaved.Size(), 0xFFFFFFFFull);
}

TEST(FileInfo, FromFileStreamDescribesTheDiskFile) {
    TScratchDir dir;
    const std::string path = dir / ".hidden.dat";
    kelvo::test::Spit(path, "0123456789");
    ::chmod(path.c_str(), 0444);
    TFileStream file(path, TFileStream::OpenRead);
    ASSERT_TRUE(file.IsOpen());

    TFileInfo info;
    info.SetModified(TFileInfo::UndeterminedSize);
    info.SetFromStream(path, &file, 3);
    EXPECT_EQ(info.Name, path);
    EXPECT_TRUE(info.Has(TFileInfo::OnDisk));
    EXPECT_FALSE(info.Has(TFileInfo::Modified));
    EXPECT_FALSE(info.Has(TFileInfo::SizeUndetermined));
    EXPECT_EQ(info.Size(), 10u); // the disk's size, not the count passed
    EXPECT_EQ(info.Data.Attributes, TFileInformation::AttrReadOnly | TFileInformation::AttrHidden);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(info.Data.LastWriteTime.ToUnix(), st.st_mtim.tv_sec);

    // Any other stream is described by the count alone.
    TMemoryStream memory;
    info.SetFromStream("mem.dat", &memory, 3);
    EXPECT_FALSE(info.Has(TFileInfo::OnDisk));
    EXPECT_EQ(info.Size(), 3u);
}
