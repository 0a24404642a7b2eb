#include "foundation/exception.h"
#include "kelvo_doc_support.h"
#include "model/dlglinevalue_choice.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

namespace kelvo {
namespace {

using namespace test;
using Doc = TFileTypeKelvo;

// A small dialog: a header line, a repeated group of two members whose second
// instance lies beyond the count, and a line that asks for a separator.
TBytes GroupFile() {
    TBytes b;
    AppendLongRecord(b, 1, 0, 0, "Header", 5);
    AppendLongRecord(b, 2, 0, CountLevel, "Count", 1);
    AppendLongRecord(b, 3, flags::Separator, MemberLevel, "M1", 10);
    AppendLongRecord(b, 4, 0, MemberLevel, "M2", 11);
    AppendLongRecord(b, 3, flags::Separator, MemberLevel, "M1", 20);
    AppendLongRecord(b, 4, 0, MemberLevel, "M2", 21);
    AppendWords(b, 5, ChoiceKind | flags::Separator, 0);
    AppendText(b, "Mode");
    Append(b, {1, 0});
    AppendText(b, "Off");
    AppendText(b, "On");
    Append(b, {0});
    return b;
}

TEST(KelvoFile, SavingWritesEveryInstanceButNoSeparatorOrValuelessLine) {
    Doc doc;
    LoadBytes(doc, GroupFile());
    ASSERT_EQ(Captions(doc), (std::vector<std::string>{"Header", "Count", "-", "M1", "M2", "-",
                                                       "M1", "M2", "-", "Mode"}));
    ASSERT_EQ(doc.Entries.HiddenCount, 3);
    const auto loaded = Captions(doc);
    // A line that lost its value is not saved either.
    TEntry valueless = Line(doc, 6, NoKind, 0, "Gone");
    doc.Entries.push_back(valueless);

    const TBytes saved = SaveBytes(doc);
    EXPECT_EQ(saved, GroupFile());

    Doc again;
    LoadBytes(again, saved);
    EXPECT_EQ(Captions(again), loaded) << "separators come back from Flags bit 7";
    EXPECT_EQ(IndicesI(again), (std::vector<int>{0, 0, 0, 0, 0, 1, 1, 1, 0, 0}));
    EXPECT_EQ(HiddenFlags(again), (std::vector<bool>{false, false, false, false, false, true, true,
                                                     true, false, false}));
    auto a = again.Entries.begin();
    for (auto d = doc.Entries.begin(); a != again.Entries.end(); ++a, ++d) {
        EXPECT_TRUE(a->SameDefinition(*d));
        EXPECT_TRUE(a->SameValue(*d));
        EXPECT_EQ(a->Document, &again);
        EXPECT_EQ(a->ProductionMode, &again.ProductionFlag);
    }
}

TEST(KelvoFile, AOneLineGroupKeepsItsInstancesThroughSaveAndReload) {
    TBytes b;
    AppendLongRecord(b, 2, 0, CountLevel, "Count", 3);
    AppendLongRecord(b, 3, 0, MemberLevel, "M", 1);
    Doc doc;
    LoadBytes(doc, b);
    ASSERT_EQ(IndicesI(doc), (std::vector<int>{0, 0, 1, 2}));
    std::next(doc.Entries.begin(), 2)->Value->SetLong(22);

    Doc again;
    LoadBytes(again, SaveBytes(doc));
    EXPECT_EQ(IndicesI(again), (std::vector<int>{0, 0, 1, 2}));
    EXPECT_EQ(std::next(again.Entries.begin(), 2)->Value->GetLong(), 22);

    TEntry& count = again.Entries.front();
    count.Value->SetLong(1);
    again.ExpandGroupOf(count);
    EXPECT_EQ(HiddenFlags(again), (std::vector<bool>{false, false, true, true}));
}

TEST(KelvoFile, AZeroByteFileIsNotAccepted) {
    Doc doc;
    TMemoryStream s;
    TFileAccess access("Open File");
    access.Reader.Init(&s, "empty.dat");
    EXPECT_FALSE(doc.TryRead(access, 0));
    EXPECT_TRUE(doc.IsEmpty());
    EXPECT_EQ(doc.Entries.DialogVersion, 2) << "an empty dialog still is a processed one";
}

TEST(KelvoFile, ABrokenRecordEndsTheFileQuietly) {
    TBytes complete;
    AppendLongRecord(complete, 1, 0, 0, "One", 1);
    AppendLongRecord(complete, 2, 0, 0, "Two", 2);

    TBytes truncated = complete;
    AppendLongRecord(truncated, 3, 0, 0, "Three", 3);
    truncated.erase(truncated.end() - 2, truncated.end());
    Doc doc;
    LoadBytes(doc, truncated);
    EXPECT_EQ(Captions(doc), (std::vector<std::string>{"One", "Two"}));

    // A kind without value class ends the file as well, whatever follows.
    TBytes unknownKind = complete;
    AppendLongRecord(unknownKind, 3, NoKind, 0, "Odd", std::nullopt);
    AppendLongRecord(unknownKind, 4, 0, 0, "Four", 4);
    LoadBytes(doc, unknownKind);
    EXPECT_EQ(Captions(doc), (std::vector<std::string>{"One", "Two"}));
}

TEST(KelvoFile, ReadingStaysInsideTheDeclaredBytes) {
    TBytes first;
    AppendLongRecord(first, 1, 0, 0, "One", 1);
    TBytes bytes = first;
    AppendLongRecord(bytes, 2, 0, 0, "Two", 2);
    TMemoryStream s;
    Load(s, bytes);
    TFileAccess access("Open File");
    access.Reader.Init(&s, "x.dat");
    access.Reader.Size = std::int64_t(first.size());
    Doc doc;
    doc.Read(access);
    EXPECT_EQ(Captions(doc), (std::vector<std::string>{"One"}));
    EXPECT_EQ(access.Reader.LastCount, std::int64_t(first.size()));
}

// A stream that breaks down in the middle of a read.
class TFailingStream : public TMemoryStream {
public:
    std::int32_t Read(void*, std::int32_t) override { throw EStreamError("device gone"); }
};

TEST(KelvoFile, AnExceptionWhileReadingLeavesAnEmptyDocument) {
    TFailingStream s;
    TBytes bytes;
    AppendLongRecord(bytes, 1, 0, 0, "One", 1);
    s.Write(bytes.data(), std::int32_t(bytes.size()));
    s.SetPosition(0);
    TFileAccess access("Open File");
    access.Reader.Init(&s, "x.dat");
    Doc doc;
    EXPECT_FALSE(doc.TryRead(access, 0));
    EXPECT_EQ(doc.Entries.DialogVersion, -1);
}

TEST(KelvoFile, TheReaderSearchFindsTheKelvoTypeForItsExtensions) {
    RegisterKelvoFileType();
    const auto dir =
        std::filesystem::temp_directory_path() / ("kelvofile_test_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    TBytes bytes;
    AppendLongRecord(bytes, 1, 0, 0, "One", 1);
    for (const char* name : {"a.dat", "b.KELVO", "c.txt"}) {
        const std::string path = (dir / name).string();
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        TFileAccess access("Open File");
        access.Reader.Init(nullptr, path);
        TPtr<TFileType> found;
        const bool ok = TFileType::FindReader(access, found, ~0x80000000u);
        EXPECT_EQ(ok, std::string(name) != "c.txt") << name;
        if (ok) {
            auto* doc = dynamic_cast<Doc*>(found.Get());
            ASSERT_NE(doc, nullptr);
            EXPECT_EQ(doc->Entries.Count(), 1);
            EXPECT_TRUE(doc->Info.Has(TFileInfo::OnDisk));
            EXPECT_EQ(doc->Info.Size(), bytes.size());
        }
    }
    std::filesystem::remove_all(dir);
    SetFileTypeRegistry(nullptr);
}

} // namespace
} // namespace kelvo
