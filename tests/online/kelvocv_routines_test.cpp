// The conversion routines, the range copy and the value accessors on small
// hand-made dialogs.
#include "foundation/exception.h"
#include "kelvocv_support.h"
#include "online/conversion_hook.h"
#include "online/kelvocv_routines.h"

#include <gtest/gtest.h>

using namespace kelvo;
using namespace kelvo::test;

namespace {

constexpr std::uint16_t ReadOnly = 0x2000;
constexpr std::uint16_t Sep = 0x0080;
constexpr std::uint16_t DoubleKind = 0x0100;

} // namespace

TEST(KelvocvFind, CodesForMissingDataAndUnknownPrograms) {
    TFileTypeKelvo doc;
    EXPECT_EQ(FindConversion(doc), conversion::NoOldData);
    doc.OldEntries = Dialog(doc, {{0x0100, 1}});
    EXPECT_EQ(FindConversion(doc), conversion::NoNewData);
    doc.Entries = Dialog(doc, {{0x0100, 2}});
    EXPECT_EQ(FindConversion(doc), conversion::NoMatchingRow);

    // Until the table is installed the go-online dialogue knows no pair.
    const TOldDataConversion before = SetOldDataConversion({});
    doc.Entries.Clear();
    EXPECT_EQ(FindOldDataConversion(doc), conversion::NoMatchingRow);
    SetOldDataConversion({FindConversion, Convert});
    EXPECT_EQ(FindOldDataConversion(doc), conversion::NoNewData);
    SetOldDataConversion(before);
}

TEST(KelvocvValues, MissingLinesRaiseNamedErrors) {
    TFileTypeKelvo doc;
    doc.OldEntries = Dialog(doc, {{0x0100, 1}});
    doc.ConvertedEntries = Dialog(doc, {{0x0200, 1}});
    try {
        OldValueLong(doc, {0x0200, 0, 0, 0});
        FAIL();
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "OldValueLong");
    }
    try {
        NewValueLong(doc, {0x0100, 0, 0, 0}, 5);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "NewValueLong");
    }
    // A raised error never leaves Convert: the first set record of row 0
    // names a line this dialog lacks.
    doc.Entries = Dialog(doc, {{0x0200, 1}});
    EXPECT_EQ(Convert(doc, 0), conversion::ErrorRaised);
    EXPECT_EQ(Convert(doc, -1), conversion::NoSuchRow);
    EXPECT_EQ(Convert(doc, ConversionTableRows()), conversion::NoSuchRow);
}

TEST(KelvocvRoutines, ASplitsOutputFunctionsRelayAndBacklight) {
    TFileTypeKelvo doc;
    doc.OldEntries = Dialog(doc, {{0x2022, 0}, {0x3004, 5}, {0x3040, 1}, {0x3044, 0x10002}});
    doc.ConvertedEntries = Dialog(doc, {{0x3028, 7, Sep},
                                        {0x3029, 7},
                                        {0x302A, 7},
                                        {0x3060, 8, ReadOnly, CountLevel},
                                        {0x3063, 0, 0, MemberLevel},
                                        {0x3064, 7},
                                        {0x3188, 7},
                                        {0x3189, 7},
                                        {0x318A, 7}});
    ASSERT_EQ(RoutineA(doc), 1);
    TEntries& c = doc.ConvertedEntries;
    // 5: not below 4, bit 1 clear, bit 0 set. The separator in front of
    // 0x3028 is passed over.
    EXPECT_EQ(LongAt(c, 0x3028), 0);
    EXPECT_EQ(LongAt(c, 0x3029), 12);
    EXPECT_EQ(LongAt(c, 0x302A), 1);
    // Only the low 16 bits count: 2.
    EXPECT_EQ(LongAt(c, 0x3188), 1);
    EXPECT_EQ(LongAt(c, 0x3189), 13);
    EXPECT_EQ(LongAt(c, 0x318A), 0);
    EXPECT_EQ(LongAt(c, 0x3063, 6), 1);
    EXPECT_EQ(LongAt(c, 0x3063, 5), 0);
    EXPECT_EQ(LongAt(c, 0x3064), 2);
}

TEST(KelvocvRoutines, BJoinsThemAgain) {
    TFileTypeKelvo doc;
    doc.OldEntries = Dialog(doc, {{0x3028, 1},
                                  {0x3029, 13},
                                  {0x302A, 1},
                                  {0x3060, 8, ReadOnly, CountLevel},
                                  {0x3063, 1, 0, MemberLevel},
                                  {0x3064, 0},
                                  {0x3188, 0},
                                  {0x3189, 12},
                                  {0x318A, 1}});
    At(doc.OldEntries, 0x3063, 6).Value->SetLong(0);
    doc.ConvertedEntries =
        Dialog(doc, {{0x2022, 9}, {0x3004, 9}, {0x3040, 9}, {0x3044, 9}, {0x3061, 9}});
    ASSERT_EQ(RoutineB(doc), 1);
    TEntries& c = doc.ConvertedEntries;
    EXPECT_EQ(LongAt(c, 0x3004), 3);
    EXPECT_EQ(LongAt(c, 0x3044), 4); // disabled
    EXPECT_EQ(LongAt(c, 0x2022), 1); // from relay 7, not relay 1
    EXPECT_EQ(LongAt(c, 0x3040), 0);
    EXPECT_EQ(LongAt(c, 0x3061), 8);

    // An unknown mode turns the output off.
    At(doc.OldEntries, 0x3188).Value->SetLong(1);
    At(doc.OldEntries, 0x3189).Value->SetLong(7);
    At(doc.OldEntries, 0x3064).Value->SetLong(2);
    ASSERT_EQ(RoutineB(doc), 1);
    EXPECT_EQ(LongAt(c, 0x3044), 4);
    EXPECT_EQ(LongAt(c, 0x3040), 1);
}

TEST(KelvocvRoutines, DAndEScaleThePulseFactor) {
    TFileTypeKelvo doc;
    auto run = [&](int (*routine)(TFileTypeKelvo&), std::int32_t divider, std::int32_t factor) {
        doc.OldEntries = Dialog(doc, {{0x4002, divider}, {0x4003, factor}});
        doc.ConvertedEntries = Dialog(doc, {{0x4002, 0}, {0x4003, 0}});
        const int result = routine(doc);
        EXPECT_EQ(LongAt(doc.ConvertedEntries, 0x4002), divider) << "the divider is copied";
        return result == 1 ? LongAt(doc.ConvertedEntries, 0x4003) : -99999;
    };
    EXPECT_EQ(run(RoutineE, 0, 7), 7); // a divider of 0 counts as 1
    EXPECT_EQ(run(RoutineE, 4, 10), 3);
    EXPECT_EQ(run(RoutineE, 4, -10), -2); // rounded half up, then cut toward zero
    EXPECT_EQ(run(RoutineE, 1, 2147483647), 2147483647);
    EXPECT_EQ(run(RoutineD, 4, 25), 100);
    // A product the line cannot hold fails instead of wrapping around.
    doc.OldEntries = Dialog(doc, {{0x4002, 70000}, {0x4003, 70000}});
    doc.ConvertedEntries = Dialog(doc, {{0x4002, 0}, {0x4003, 0}});
    EXPECT_EQ(RoutineD(doc), 0);
}

TEST(KelvocvRangeCopy, CopiesEditableLinesBelowTheLimitInStep) {
    TFileTypeKelvo doc;
    const std::vector<TLongLine> old = {{0x0012, 5}, {0x0013, 9}, {0x0100, 3, ReadOnly},
                                        {0x0200, 7}, {0x10FF, 4}, {0x5000, 1}};
    doc.OldEntries = Dialog(doc, old);
    doc.ConvertedEntries = Dialog(doc, {{0x0012, 0, Sep},
                                        {0x0013, 0},
                                        {0x0100, 0, ReadOnly},
                                        {0x0150, 0, ReadOnly},
                                        {0x0200, 0},
                                        {0x5000, 0},
                                        {0x6000, 0}});
    ASSERT_EQ(RoutineC1(doc), 1);
    TEntries& c = doc.ConvertedEntries;
    EXPECT_EQ(LongAt(c, 0x0012), 5);
    EXPECT_EQ(LongAt(c, 0x0200), 7);
    EXPECT_EQ(LongAt(c, 0x0013), 0) << "excluded";
    EXPECT_EQ(LongAt(c, 0x0100), 0) << "read-only";
    EXPECT_EQ(LongAt(c, 0x5000), 0) << "above the limit";

    // One more editable line on either side.
    c = Dialog(doc, {{0x0012, 0}, {0x0200, 0}, {0x0300, 0}});
    EXPECT_EQ(RoutineC1(doc), conversion::CandidateCountDiffers);
    doc.OldEntries = Dialog(doc, {{0x0012, 0}, {0x0200, 0}, {0x0300, 0}, {0x0400, 0}});
    EXPECT_EQ(RoutineC1(doc), conversion::CandidateCountDiffers);
    // Lines in step at different addresses, or of different kinds.
    doc.OldEntries = Dialog(doc, {{0x0012, 0}, {0x0201, 0}, {0x0300, 0}});
    EXPECT_EQ(RoutineC1(doc), conversion::AddressDiffers);
    doc.OldEntries = Dialog(doc, {{0x0012, 0}, {0x0200, 0, DoubleKind}, {0x0300, 0}});
    EXPECT_EQ(RoutineC1(doc), conversion::KindDiffers);
}

TEST(KelvocvRangeCopy, ACopiedCountExpandsTheConvertedGroup) {
    TFakeControl control; // outlives the document's display
    TFileTypeKelvo doc;
    doc.OldEntries =
        Dialog(doc, {{0x0400, 3, 0, CountLevel}, {0x0401, 10, 0, MemberLevel}, {0x0500, 1}});
    At(doc.OldEntries, 0x0401, 1).Value->SetLong(11);
    At(doc.OldEntries, 0x0401, 2).Value->SetLong(12);
    doc.ConvertedEntries =
        Dialog(doc, {{0x0400, 1, 0, CountLevel}, {0x0401, 0, 0, MemberLevel}, {0x0500, 0}});
    doc.Entries = Dialog(doc, {{0x0777, 1}});
    AttachFakeControl(doc, control);

    const std::uint16_t everything[] = {0x4002, ExclusionEnd};
    ASSERT_EQ(RangeCopy(doc, everything), 1);
    TEntries& c = doc.ConvertedEntries;
    EXPECT_EQ(c.Count(), 5);
    EXPECT_EQ(c.HiddenCount, 0);
    EXPECT_EQ(LongAt(c, 0x0401, 0), 10);
    EXPECT_EQ(LongAt(c, 0x0401, 1), 11);
    EXPECT_EQ(LongAt(c, 0x0401, 2), 12);
    EXPECT_EQ(LongAt(c, 0x0500), 1);
    // The document's own dialog and its display are untouched.
    ASSERT_EQ(doc.Entries.Count(), 1);
    EXPECT_EQ(doc.Entries.front().Address, 0x0777);
    EXPECT_EQ(doc.List().GetRowCount(), 1);
}
