#include "foundation/exception.h"
#include "model/dlglinevalue.h"
#include "model/dlglinevalue_choice.h"
#include "model/number_text.h"
#include "model/record_codec.h"
#include "record_bytes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <typeinfo>
#include <vector>

namespace kelvo {
namespace {

using test::TBytes;

template <class F> std::string MessageOf(F&& f) {
    try {
        f();
    } catch (const Exception& e) {
        return e.what();
    }
    return "(nothing raised)";
}

class TOffOn : public TDlglineValueChoice {
public:
    TOffOn() { SetChoices(std::vector<std::string>{"Off", "On"}); }
};

TEST(DlglineValue, UnsupportedAccessorsRaiseWithTheirMessages) {
    TDlglineValueDouble d;
    TDlglineValueText t;
    TDlglineValueLabel l;
    EXPECT_EQ(MessageOf([&] { d.SetLong(1); }), "DlglineValue::SetLong not implemented!");
    EXPECT_EQ(MessageOf([&] { t.GetLong(); }), "long DlglineValue::GetLong not implemented!");
    EXPECT_EQ(MessageOf([&] { l.SetString("x"); }),
              "void DlglineValue::SetString not implemented!");
    EXPECT_EQ(MessageOf([&] { d.GetString(); }),
              "AnsiString DlglineValue::GetString() not implemented!");
    TDlglineValueLong n;
    EXPECT_THROW(n.Assign(d), std::bad_cast);
}

TEST(DlglineValue, ComparisonsLookAtKindAndContent) {
    TDlglineValueLong a, b;
    TDlglineValueDouble d;
    a.Value = b.Value = 5;
    EXPECT_TRUE(a.IsEqual(b));
    EXPECT_FALSE(a.IsEqual(d));
    b.Value = 6;
    EXPECT_FALSE(a.IsEqual(b));
    EXPECT_TRUE(a.IsSameKind(b));

    TOffOn x, y;
    EXPECT_TRUE(x.IsEqual(y));
    y.Index = 1;
    EXPECT_FALSE(x.IsEqual(y));
    EXPECT_TRUE(x.IsSameKind(y));
    y.SetChoices(std::vector<std::string>{"Off", "ON"});
    EXPECT_FALSE(x.IsSameKind(y)) << "a different list is a different definition";

    TDlglineValueText s1, s2;
    s1.Value = "abc";
    s2.Value = "abC";
    EXPECT_FALSE(s1.IsEqual(s2));
    EXPECT_TRUE(TDlglineValueLabel().IsEqual(TDlglineValueLabel()));
    EXPECT_FALSE(TDlglineValueLabel().IsEqual(s1));
}

TEST(DlglineValue, LongText) {
    TDlglineValueLong v;
    v.SetText("0x1F");
    EXPECT_EQ(v.Value, 31);
    v.SetText("no number");
    EXPECT_EQ(v.Value, 31);
    v.SetText(" -010");
    EXPECT_EQ(v.Value, -8) << "a leading zero means octal";
    v.SetText("0xFFFFFFFF");
    EXPECT_EQ(v.Value, -1) << "32-bit register patterns typed in hexadecimal";
    v.Value = -2147483647 - 1;
    EXPECT_EQ(v.GetText(), "-2147483648");
}

// A number too wide for 32 bits is refused like a text without a number; it
// never comes back as some other value.
TEST(DlglineValue, LongTextOutsideThe32BitRangeLeavesTheValue) {
    TDlglineValueLong v;
    for (const char* text :
         {"99999999999", "2147483648", "-2147483649", "0x100000000", "040000000000", "-0x80000001",
          "-0xFFFFFFFF", "123456789012345678901234567890"}) {
        v.Value = 7;
        v.SetText(text);
        EXPECT_EQ(v.Value, 7) << text;
        EXPECT_FALSE(ParseLongText(text)) << text;
    }
    EXPECT_EQ(ParseLongText("2147483647"), 2147483647);
    EXPECT_EQ(ParseLongText("-2147483648"), -2147483647 - 1);
    EXPECT_EQ(ParseLongText("0x80000000"), -2147483647 - 1);
    EXPECT_EQ(ParseLongText("037777777777"), -1);
    EXPECT_EQ(ParseLongText("-0x80000000"), -2147483647 - 1);
    EXPECT_EQ(ParseLongText("0x000000000000FFFFFFFF"), -1) << "leading zeros add nothing";
    EXPECT_EQ(ParseLongText("2147483647999x"), std::nullopt) << "all digits count";
    EXPECT_EQ(ParseLongText("12abc"), 12) << "digits end at the first other character";

    // Whatever the list shows (decimal) or a caption shows (%X{v}) types back.
    for (std::int32_t x : {0, -1, 2147483647, -2147483647 - 1, 0x5A17, -305419896}) {
        v.Value = x;
        TDlglineValueLong back;
        back.SetText(v.GetText());
        EXPECT_EQ(back.Value, x);
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%X", static_cast<unsigned>(x));
        back.Value = 1;
        back.SetText(hex);
        EXPECT_EQ(back.Value, x) << hex;
    }
}

TEST(DlglineValue, DoubleTextHasFifteenDigitsAndReadsBack) {
    EXPECT_EQ(FormatDoubleText(0.0), "0");
    EXPECT_EQ(FormatDoubleText(1.5), "1.5");
    EXPECT_EQ(FormatDoubleText(-250.0), "-250");
    EXPECT_EQ(FormatDoubleText(0.1), "0.1");
    EXPECT_EQ(FormatDoubleText(1.0 / 3.0), "0.333333333333333");
    EXPECT_EQ(FormatDoubleText(0.00001), "0.00001");
    EXPECT_EQ(FormatDoubleText(0.000001), "1E-06");
    EXPECT_EQ(FormatDoubleText(123456789012345.0), "123456789012345");
    EXPECT_EQ(FormatDoubleText(1234567890123456.0), "1.23456789012346E+15");
    EXPECT_EQ(FormatDoubleText(999999999999999.9), "1E+15");

    TDlglineValueDouble v;
    for (double x : {1.25, -3e-9, 6.02214076e23, 0.1}) {
        v.Value = x;
        TDlglineValueDouble back;
        back.SetText(v.GetText());
        EXPECT_EQ(back.GetText(), v.GetText());
    }
    v.SetText("  +2.5e1xyz");
    EXPECT_EQ(v.Value, 25.0);
    v.SetText("abc");
    EXPECT_EQ(v.Value, 25.0);
}

TEST(DlglineValueChoice, SetLongAcceptsOnlyIndicesInsideTheList) {
    TOffOn c;
    c.SetLong(1);
    EXPECT_EQ(c.GetLong(), 1);
    EXPECT_EQ(c.GetText(), "On");
    for (std::int32_t bad : {2, -1, -65535}) {
        EXPECT_EQ(MessageOf([&] { c.SetLong(bad); }),
                  "TDlglineValueChoice::SetLong: Arg. out of range!");
        EXPECT_EQ(c.Index, 1);
    }
    TDlglineValueChoice empty;
    EXPECT_EQ(empty.Choices.Text(), "C");
    EXPECT_THROW(empty.SetLong(0), Exception);
}

TEST(DlglineValueChoice, RecordEncoding) {
    TDlglineValueChoice c;
    c.SetChoices(std::vector<std::string>{"A", "B"});
    c.Index = 0x0102;
    TMemoryStream s;
    EXPECT_EQ(c.Write(s), 7);
    EXPECT_EQ(test::Contents(s), (TBytes{0x02, 0x01, 'A', 0, 'B', 0, 0}));

    // Writing stops at the first empty choice after choice 0 ...
    c.SetChoices(std::vector<std::string>{"A", "", "C"});
    s.Clear();
    c.Write(s);
    EXPECT_EQ(test::Contents(s), (TBytes{0x02, 0x01, 'A', 0, 0}));
    // ... but choice 0 goes out even when it is empty.
    c.SetChoices(std::vector<std::string>{"", "B"});
    s.Clear();
    c.Write(s);
    EXPECT_EQ(test::Contents(s), (TBytes{0x02, 0x01, 0, 'B', 0, 0}));

    TDlglineValueChoice r;
    s.SetPosition(0);
    EXPECT_EQ(r.Read(s), 6);
    EXPECT_EQ(r.Choices.Text(), "C||B");
    EXPECT_EQ(r.ChoiceCountRead, 2);
    EXPECT_EQ(r.Index, 0x0102);

    // The raw form, used for single values on the device link, is the index alone.
    s.Clear();
    EXPECT_EQ(r.WriteRaw(s), 2);
    EXPECT_EQ(s.Length(), 2);
}

TEST(DlglineValueChoice, ReadingAMalformedListChangesNothing) {
    TOffOn c;
    TMemoryStream s;
    TBytes b{1, 0};
    test::AppendText(b, "X");
    test::Load(s, b); // the list never ends
    EXPECT_EQ(c.Read(s), record::ShortTransfer);
    EXPECT_EQ(c.Choices.Text(), "C|Off|On");
    EXPECT_EQ(c.Index, 0);

    // A list with more choices than any index reaches is refused, not stored.
    b = {0, 0};
    for (int i = 0; i <= record::MaxChoices; ++i)
        b.insert(b.end(), {'x', 0});
    b.push_back(0);
    test::Load(s, b);
    EXPECT_EQ(c.Read(s), record::TooManyChoices);
    EXPECT_EQ(c.Choices.Text(), "C|Off|On");
}

TEST(DlglineValueText, KeepsToTheRecordLimit) {
    TDlglineValueText t;
    t.SetText(std::string(record::MaxTextLength + 5, 'q'));
    EXPECT_EQ(t.Value.size(), std::size_t(record::MaxTextLength));
    TMemoryStream s;
    EXPECT_EQ(t.Write(s), record::MaxTextLength + 1);
    s.SetPosition(0);
    TDlglineValueText back;
    EXPECT_EQ(back.Read(s), record::MaxTextLength + 1);
    EXPECT_TRUE(back.IsEqual(t));
}

} // namespace
} // namespace kelvo
