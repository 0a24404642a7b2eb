#include "foundation/dynalist.h"
#include "foundation/exception.h"
#include "foundation/utilcls.h"
#include "support/scripted_prompt.h"

#include <gtest/gtest.h>

#include <deque>
#include <vector>

using namespace kelvo;

namespace {

int Alive = 0;

struct TOwned {
    DynalistOwnerENode<TOwned> Node{this};
    int Value;
    explicit TOwned(int v) : Value(v) { ++Alive; }
    ~TOwned() { --Alive; }
};

struct TLinked {
    DynalistStaticENode Node{this};
    int Value;
    explicit TLinked(int v) : Value(v) {}
};

std::vector<int> Values(const Dynalist<TLinked>& l) {
    std::vector<int> v;
    for (auto& e : l)
        v.push_back(e.Value);
    return v;
}

} // namespace

TEST(Dynalist, OwnerListDeletesEntriesAndEntriesUnlinkThemselves) {
    Alive = 0;
    {
        Dynalist<TOwned> list;
        auto* a = new TOwned(1);
        list.Append(a->Node);
        list.Append((new TOwned(2))->Node);
        list.Append((new TOwned(3))->Node);
        EXPECT_EQ(list.Count(), 3);
        delete a; // destroying an entry takes it out of its list
        EXPECT_EQ(list.Count(), 2);
        EXPECT_EQ(list.EntryAt(0)->Value, 2);
        list.Clear();
        EXPECT_EQ(list.Count(), 0);
        EXPECT_EQ(Alive, 0);
        list.Append((new TOwned(4))->Node);
    } // the owner list releases what it holds
    EXPECT_EQ(Alive, 0);
}

TEST(Dynalist, StaticListOnlyUnlinks) {
    TLinked a(1), b(2);
    {
        Dynalist<TLinked> list;
        list.Append(a.Node);
        list.Append(b.Node);
        list.Clear();
        EXPECT_EQ(list.Count(), 0);
        EXPECT_FALSE(a.Node.Linked());
        list.Append(a.Node);
    }
    EXPECT_FALSE(a.Node.Linked());
    a.Node.Unlink(); // unlinking a node in no list does nothing
    EXPECT_EQ(a.Value + b.Value, 3);
}

TEST(Dynalist, AtWalksFromEitherEndAndSpliceMovesRuns) {
    std::deque<TLinked> items;
    Dynalist<TLinked> list;
    for (int i = 0; i < 6; ++i)
        items.emplace_back(i);
    for (auto& e : items)
        list.Append(e.Node);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(list.EntryAt(i)->Value, i);
    EXPECT_EQ(list.At(6), nullptr);
    EXPECT_EQ(list.At(-1), nullptr);
    // move 3,4 before 1
    list.Splice(items[1].Node, items[3].Node, items[5].Node);
    EXPECT_EQ(Values(list), (std::vector<int>{0, 3, 4, 1, 2, 5}));
    // move 0 to the end
    list.Splice(list.End(), items[0].Node, items[3].Node);
    EXPECT_EQ(Values(list), (std::vector<int>{3, 4, 1, 2, 5, 0}));
    EXPECT_EQ(list.Count(), 6);
    list.Clear();
}

TEST(OwningPointer, EmptyAccessIsReportedAndRefused) {
    test::TScriptedPrompt prompt;
    TPromptScope scope(prompt);
    TPtr<int> p;
    prompt.Answers = {IdNo};
    EXPECT_THROW(*p, EAssertionFailed);
    ASSERT_EQ(prompt.Asked.size(), 1u);
    EXPECT_EQ(prompt.Asked[0].Caption, "_ASSERTE: ");
    EXPECT_EQ(
        prompt.Asked[0].Text,
        "m_ptr @ Utilcls/353\nPress [Y]es to terminate, [N]o to continue and [C]ancel to Debug");
    try {
        p.operator->();
        FAIL();
    } catch (const EAssertionFailed& e) {
        EXPECT_STREQ(e.what(), "m_ptr failed - Utilcls/356");
    }
    p = new int(5);
    EXPECT_EQ(*p, 5);
    TAPtr<int> a(3);
    a[2] = 7;
    EXPECT_EQ(a[2], 7);
}
