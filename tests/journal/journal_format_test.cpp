// The journal's entries as text, CSV and JSON, its KEYs and the dates a
// query takes.
#include "journal/journal_format.h"

#include <gtest/gtest.h>

namespace kelvo {

namespace {

TJournalEntry Sample() {
    TJournalEntry e;
    e.Time = "2026-12-09T06:24:24.123Z";
    e.Login = "anna";
    e.Host = "bench-1";
    e.Port = "COM3";
    e.Program = "KT200 V2.14";
    e.Serial = "204117";
    e.Address = 0x0065;
    e.Instance = 1;
    e.Caption = "Relay K2 delay, \"s\"";
    e.OldValue = "5";
    e.NewValue = "line\nbreak";
    e.Result = TJournalResult::Refused;
    e.Source = TJournalSource::OldData;
    return e;
}

} // namespace

TEST(JournalFormat, CsvHasAHeaderAndQuotesByRfc4180) {
    TJournalEntry plain = Sample();
    plain.Instance = 0;
    plain.Caption = "Filter time [ms]";
    plain.NewValue = "750";
    plain.Source = TJournalSource::Kelvoctl;
    EXPECT_EQ(JournalCsv({Sample(), plain}),
              "time,login,host,port,program,serial,key,caption,old_value,new_value,result,"
              "source\r\n"
              "2026-12-09T06:24:24.123Z,anna,bench-1,COM3,KT200 V2.14,204117,0x0065:1,"
              "\"Relay K2 delay, \"\"s\"\"\",5,\"line\nbreak\",refused,old data\r\n"
              "2026-12-09T06:24:24.123Z,anna,bench-1,COM3,KT200 V2.14,204117,0x0065,"
              "Filter time [ms],5,750,refused,kelvoctl\r\n");
    EXPECT_EQ(JournalCsv({}).find("\r\n") + 2, JournalCsv({}).size()) << "only the header";
}

TEST(JournalFormat, JsonIsOneArrayOfObjectsWithEscapedStrings) {
    EXPECT_EQ(JournalJson({}), "[]\n");
    EXPECT_EQ(
        JournalJson({Sample()}),
        "[\n {\"time\":\"2026-12-09T06:24:24.123Z\",\"login\":\"anna\",\"host\":\"bench-1\","
        "\"port\":\"COM3\",\"program\":\"KT200 V2.14\",\"serial\":\"204117\","
        "\"key\":\"0x0065:1\",\"address\":101,\"instance\":1,"
        "\"caption\":\"Relay K2 delay, \\\"s\\\"\",\"old_value\":\"5\","
        "\"new_value\":\"line\\nbreak\",\"result\":\"refused\",\"source\":\"old data\"}\n]\n");
}

TEST(JournalFormat, TextIsOneLinePerEntryWithTheDeviceWhenKnown) {
    TJournalEntry e = Sample();
    e.NewValue = "7";
    TJournalEntry unknown = e;
    unknown.Program.clear();
    unknown.Serial.clear();
    unknown.Instance = 0;
    EXPECT_EQ(JournalText({e, unknown}),
              "2026-12-09 06:24:24 UTC  anna@bench-1  COM3  \"KT200 V2.14\"  SN 204117  "
              "0x0065:1 \"Relay K2 delay, \"s\"\": \"5\" -> \"7\"  refused  (old data)\n"
              "2026-12-09 06:24:24 UTC  anna@bench-1  COM3  "
              "0x0065 \"Relay K2 delay, \"s\"\": \"5\" -> \"7\"  refused  (old data)\n");
}

TEST(JournalFormat, DatesAreReadAsUtcInTheFormsUsersType) {
    EXPECT_EQ(JournalTimeFromDate("2026-12-09"), "2026-12-09T00:00:00.000Z");
    EXPECT_EQ(JournalTimeFromDate("2026-12-09 14:30"), "2026-12-09T14:30:00.000Z");
    EXPECT_EQ(JournalTimeFromDate("2026-12-09T14:30:05Z"), "2026-12-09T14:30:05.000Z");
    EXPECT_EQ(JournalTimeFromDate("2026-12-09 14:30:05 UTC"), "2026-12-09T14:30:05.000Z");
    EXPECT_EQ(JournalTimeFromDate("2024-02-29"), "2024-02-29T00:00:00.000Z");
    for (const char* wrong :
         {"", "yesterday", "2026-13-01", "2026-02-29", "2026-12-9", "2026-12-09 24:00",
          "2026-12-09 14", "2026-12-09T14:30:5", "2026/12/09", "2026-12-09x14:30"})
        EXPECT_FALSE(JournalTimeFromDate(wrong)) << wrong;
    // Later moments compare later, as the journal's texts do.
    EXPECT_LT(*JournalTimeFromDate("2026-12-09 14:30"), "2026-12-09T14:30:00.001Z");
    EXPECT_GT(*JournalTimeFromDate("2026-12-09 14:30"), "2026-12-09T14:29:59.999Z");
}

} // namespace kelvo
