#include "model/record_codec.h"
#include "record_bytes.h"

#include <gtest/gtest.h>

namespace kelvo {
namespace {

using test::TBytes;

TEST(RecordCodec, NumbersAreLittleEndianAndShortReadsKeepTheOldValue) {
    TMemoryStream s;
    ASSERT_EQ(record::WriteU16(s, 0x1234), 2);
    ASSERT_EQ(record::WriteI32(s, -2), 4);
    ASSERT_EQ(record::WriteDouble(s, 1.0), 8);
    EXPECT_EQ(test::Contents(s),
              (TBytes{0x34, 0x12, 0xFE, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F}));

    test::Load(s, {0x78, 0x56, 0x34});
    std::int32_t v = 99;
    EXPECT_EQ(record::ReadI32(s, v), record::ShortTransfer);
    EXPECT_EQ(v, 99);
    test::Load(s, {});
    std::uint16_t w = 7;
    EXPECT_EQ(record::ReadU16(s, w), record::ShortTransfer);
    EXPECT_EQ(w, 7);
}

TEST(RecordCodec, TextsUpToTheLimitReadWholeAndLongerOnesAreCut) {
    TMemoryStream s;
    const std::string longest(record::MaxTextLength, 'a');
    TBytes b;
    test::AppendText(b, longest);
    b.push_back('X');
    test::Load(s, b);
    std::string text;
    EXPECT_EQ(record::ReadText(s, text), record::MaxTextLength + 1);
    EXPECT_EQ(text, longest);
    EXPECT_EQ(s.Position(), record::MaxTextLength + 1) << "the terminator belongs to the text";

    // One character more: cut after the limit, the rest left for the next read.
    b.clear();
    test::AppendText(b, longest + "bc");
    test::Load(s, b);
    EXPECT_EQ(record::ReadText(s, text), record::MaxTextLength);
    EXPECT_EQ(text, longest);
    EXPECT_EQ(record::ReadText(s, text), 3);
    EXPECT_EQ(text, "bc");
}

TEST(RecordCodec, TextFailuresLeaveTheTextAlone) {
    TMemoryStream s;
    std::string text = "old";
    test::Load(s, {'a', 'b'});
    EXPECT_EQ(record::ReadText(s, text), record::ShortTransfer) << "no terminator";
    test::Load(s, {0});
    EXPECT_EQ(record::ReadText(s, text, 1), record::TextTooShort);
    EXPECT_EQ(text, "old");
}

} // namespace
} // namespace kelvo
