#include "foundation/filetype/filetype.h"

#include "text_document.h"

#include <gtest/gtest.h>

using namespace kelvo;
using namespace kelvo::test;

namespace {

// Accepts a file only when it starts with its tag; reads everything first, so
// a search that forgets to rewind starves the next candidate.
class TTaggedType : public TTextDocument {
public:
    explicit TTaggedType(std::string tag, std::uint32_t category = 0)
        : Tag(std::move(tag)), Bits(category) {}
    std::uint32_t Category() const override { return Bits; }
    bool TryRead(TFileAccess& access, int) override {
        Read(access);
        return Text.starts_with(Tag);
    }
    std::string Tag;
    std::uint32_t Bits;
};

TFileType* CreateExcluded() {
    return new TTaggedType("KLV", 0x80000000u);
}
TFileType* CreateOther() {
    return new TTaggedType("OTHER");
}
TFileType* CreateKelvoLike() {
    return new TTaggedType("KLV");
}
constexpr TFileTypeCreator SearchTable[] = {CreateExcluded, CreateOther, CreateKelvoLike, nullptr};

class TRegistryScope {
public:
    explicit TRegistryScope(const TFileTypeCreator* table) : Saved(SetFileTypeRegistry(table)) {}
    ~TRegistryScope() { SetFileTypeRegistry(Saved); }

private:
    const TFileTypeCreator* Saved;
};

} // namespace

TEST(FileType, ReadFillsTheDocumentAndItsFileInformation) {
    TScratchDir dir;
    Spit(dir / "in.dat", "KLV payload");
    TFileStream file(dir / "in.dat", TFileStream::OpenRead);
    TTextDocument doc;
    doc.Info.SetModified(TFileInfo::UndeterminedSize);

    TFileAccess access("Open File");
    access.Reader.Init(&file, dir / "in.dat");
    doc.Read(access);
    EXPECT_EQ(doc.Text, "KLV payload");
    EXPECT_TRUE(doc.Info.Has(TFileInfo::OnDisk));
    EXPECT_FALSE(doc.Info.Has(TFileInfo::Modified));
    EXPECT_EQ(doc.Info.Size(), 11u);
    EXPECT_EQ(access.Reader.FileCount, 1);

    // A name the type does not read leaves it new and empty.
    TFileAccess wrong("Open File");
    file.SetPosition(0);
    wrong.Reader.Init(&file, dir / "in.bin");
    doc.Read(wrong);
    EXPECT_TRUE(doc.IsEmpty());
    EXPECT_FALSE(doc.Info.Has(TFileInfo::OnDisk));
}

TEST(FindReader, SkipsExcludedCategoriesAndRewindsBetweenCandidates) {
    TRegistryScope registry(SearchTable);
    TMemoryStream memory;
    memory.WriteBuffer("KLV data", 8);
    memory.SetPosition(0);
    TFileAccess access("Open File");
    access.Reader.Init(&memory, "in.dat");
    TPtr<TFileType> found;
    ASSERT_TRUE(TFileType::FindReader(access, found, 0x80000000u));
    auto* doc = dynamic_cast<TTaggedType*>(found.Get());
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->Tag, "KLV");
    EXPECT_EQ(doc->Bits, 0u); // the excluded first entry was passed over
    EXPECT_EQ(doc->Text, "KLV data");
    EXPECT_EQ(doc->GetFileName(), "in.dat");
}
