// Memory running out while a dialog is expanded. This program replaces the
// global allocator, so it runs on its own: while armed, every request of at
// least the armed size fails as an exhausted heap would.
#include "kelvo_doc_support.h"
#include "model/dlglinevalue_choice.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

namespace {

std::size_t FailFrom = 0; // 0: never fail

} // namespace

void* operator new(std::size_t size) {
    if (FailFrom != 0 && size >= FailFrom)
        throw std::bad_alloc();
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

// The standard library asks for some buffers without exceptions (stable_sort's
// temporary buffer) and gives them back through the plain delete above: they
// must come from the same heap.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    if (FailFrom != 0 && size >= FailFrom)
        return nullptr;
    return std::malloc(size ? size : 1);
}

void operator delete(void* p) noexcept {
    std::free(p);
}

void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace kelvo {
namespace {

using namespace test;

class TArmedHeap {
public:
    explicit TArmedHeap(std::size_t from) { FailFrom = from; }
    ~TArmedHeap() { FailFrom = 0; }
    TArmedHeap(const TArmedHeap&) = delete;
    TArmedHeap& operator=(const TArmedHeap&) = delete;
};

// A group member whose choice list is large: copying it for a new instance
// is the one large request of the expansion.
TEntry BigChoiceMember(TFileTypeKelvo& doc) {
    TEntry member = Line(doc, 3, ChoiceKind, MemberLevel, "Choice");
    std::vector<std::string> choices(1000, std::string(100, 'c'));
    static_cast<TDlglineValueChoice&>(*member.Value).SetChoices(choices);
    return member;
}

TEST(KelvoMemory, AnExceptionWhileExpandingEmptiesTheDocumentWithStatusMinusOne) {
    TFileTypeKelvo doc;
    doc.Entries.push_back(Line(doc, 1, 0, 0, "Before"));
    doc.Entries.push_back(Line(doc, 2, 0, CountLevel, "N", 3));
    doc.Entries.push_back(BigChoiceMember(doc));
    const int cycle = doc.RefreshCycle;
    int status = 0;
    {
        TArmedHeap heap(64 * 1024);
        EXPECT_NO_THROW(doc.PostProcess(status));
    }
    EXPECT_EQ(status, -1);
    EXPECT_TRUE(doc.IsEmpty());
    EXPECT_EQ(doc.Entries.HiddenCount, 0);
    EXPECT_EQ(doc.Entries.DialogVersion, -1);
    EXPECT_EQ(doc.List().GetRowCount(), 0);
    EXPECT_EQ(doc.RefreshCycle, cycle) << "no refresh cycle for a failed dialog";

    // Unarmed, the same dialog expands.
    doc.Entries.push_back(Line(doc, 2, 0, CountLevel, "N", 3));
    doc.Entries.push_back(BigChoiceMember(doc));
    status = 0;
    doc.PostProcess(status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(doc.Entries.Count(), 4);
}

} // namespace
} // namespace kelvo
