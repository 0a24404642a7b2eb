// The export of a document's lines as CSV and JSON.
#include "report/export_lines.h"
#include "report/sha256.h"
#include "report/text_formats.h"
#include "tools/kelvoctl/document_loader.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace kelvo;

namespace {

TPtr<TFileTypeKelvo> Demo() {
    TPtr<TFileTypeKelvo> doc;
    EXPECT_EQ(ctl::LoadDocument(KELVO_DEMO_DIALOG_FILE, doc), ctl::TLoadResult::Loaded);
    return doc;
}

// The CSV records of text, split by RFC 4180 (quoted fields may hold commas,
// quotes and line breaks).
std::vector<std::vector<std::string>> ParseCsv(const std::string& text) {
    std::vector<std::vector<std::string>> records(1);
    std::string field;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            records.back().push_back(field);
            field.clear();
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            records.back().push_back(field);
            field.clear();
            records.emplace_back();
            ++i;
        } else {
            field += c;
        }
    }
    if (records.back().empty())
        records.pop_back();
    return records;
}

} // namespace

TEST(TextFormats, CsvFieldsAreQuotedOnlyWhenTheyMustBe) {
    EXPECT_EQ(CsvField("Range end"), "Range end");
    EXPECT_EQ(CsvField("a,b"), "\"a,b\"");
    EXPECT_EQ(CsvField("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(CsvField("two\nlines"), "\"two\nlines\"");
    EXPECT_EQ(CsvField(" padded"), "\" padded\"");
    EXPECT_EQ(CsvField(""), "");
}

TEST(TextFormats, JsonStringsEscapeQuotesBackslashesAndControls) {
    EXPECT_EQ(JsonString("a\"b\\c"), "\"a\\\"b\\\\c\"");
    EXPECT_EQ(JsonString("x\ny\x01"), "\"x\\ny\\u0001\"");
    EXPECT_EQ(JsonString("\xC2\xB0"
                         "C"),
              "\"\xC2\xB0"
              "C\"");
}

TEST(Export, EachInstanceOfAGroupIsARowOfItsOwn) {
    TPtr<TFileTypeKelvo> doc = Demo();
    const std::vector<TExportRow> rows = ExportRows(*doc);
    std::vector<const TExportRow*> setpoints;
    for (const TExportRow& row : rows)
        if (row.Address == 0x0062)
            setpoints.push_back(&row);
    // The demonstration dialog's alarm group has two instances.
    ASSERT_EQ(setpoints.size(), 2u);
    EXPECT_EQ(setpoints[0]->Instance, 0);
    EXPECT_EQ(setpoints[1]->Instance, 1);
    EXPECT_TRUE(setpoints[1]->Member);
    EXPECT_EQ(setpoints[1]->Kind, "double");
    // Captions expand per instance ("Relay K%d{1+i} delay [s]").
    std::vector<std::string> relays;
    for (const TExportRow& row : rows)
        if (row.Address == 0x0065)
            relays.push_back(row.Caption);
    ASSERT_EQ(relays.size(), 2u);
    EXPECT_EQ(relays[0], "Relay K1 delay [s]");
    EXPECT_EQ(relays[1], "Relay K2 delay [s]");
    // Lines reserved for production are not shown, so not exported.
    EXPECT_TRUE(std::none_of(rows.begin(), rows.end(),
                             [](const TExportRow& r) { return r.Address == 0x0083; }));
}

TEST(Export, CsvHasAHeaderAndOneRecordPerRowWithEightFields) {
    TPtr<TFileTypeKelvo> doc = Demo();
    const std::vector<TExportRow> rows = ExportRows(*doc);
    const auto records = ParseCsv(ExportCsv(rows));
    ASSERT_EQ(records.size(), rows.size() + 1);
    EXPECT_EQ(records[0],
              (std::vector<std::string>{"address", "instance", "caption", "caption_untranslated",
                                        "value", "kind", "flags", "layout"}));
    for (const auto& record : records)
        EXPECT_EQ(record.size(), 8u);
    const auto filter =
        std::find_if(records.begin(), records.end(),
                     [](const std::vector<std::string>& r) { return r[0] == "0x0025"; });
    ASSERT_NE(filter, records.end());
    EXPECT_EQ((*filter)[2], "Filter time [ms]");
    EXPECT_EQ((*filter)[4], "500");
    EXPECT_EQ((*filter)[5], "long");
    // A caption holding a comma survives the round through the CSV rules.
    TExportRow odd = rows.front();
    odd.Caption = "Bus, \"main\"";
    const auto back = ParseCsv(ExportCsv({odd}));
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[1][2], "Bus, \"main\"");
}

TEST(Export, JsonIsOneArrayWithAnObjectPerRow) {
    TPtr<TFileTypeKelvo> doc = Demo();
    const std::vector<TExportRow> rows = ExportRows(*doc);
    const std::string json = ExportJson(rows);
    EXPECT_EQ(json.front(), '[');
    EXPECT_EQ(json.substr(json.size() - 2), "]\n");
    std::size_t objects = 0;
    for (std::size_t at = json.find("{\"address\""); at != std::string::npos;
         at = json.find("{\"address\"", at + 1))
        ++objects;
    EXPECT_EQ(objects, rows.size());
    EXPECT_NE(json.find("{\"address\":\"0x0062\",\"instance\":1,\"member\":true,"
                        "\"caption\":\"Setpoint\""),
              std::string::npos)
        << json;
    EXPECT_EQ(ExportJson({}), "[]\n");
}

TEST(Sha256, KnownDigests) {
    EXPECT_EQ(Sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    // 56 bytes: the length needs a second padding block.
    EXPECT_EQ(Sha256Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(Sha256Hex(std::string(1000000, 'a')),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}
