// The transfer log: the ring buffer's wrap-around and the hex-dump text.
#include "devicelink/kelvolog.h"
#include "scripted_line.h"
#include "support/scripted_prompt.h"

#include <gtest/gtest.h>

using namespace kelvo;
using namespace kelvo::test;

namespace {

std::string Blanks(int groups) {
    return std::string(3 * groups, ' ');
}

TKelvoLog Header(std::int64_t stamp, int com, int stream, const TBytes& t, const TBytes& l,
                 const TBytes& r) {
    TKelvoLog h;
    h.TimeStamp = stamp;
    h.ComResult = com;
    h.StreamResult = stream;
    h.Sent = static_cast<std::int32_t>(t.size());
    h.Echoed = static_cast<std::int32_t>(l.size());
    h.Replied = static_cast<std::int32_t>(r.size());
    return h;
}

void Add(TKelvoLogger& log, std::int64_t stamp, int com, int stream, const TBytes& t,
         const TBytes& l, const TBytes& r) {
    log.Add(Header(stamp, com, stream, t, l, r), t.data(), l.data(), r.data());
}

std::vector<std::int64_t> Stamps(const TKelvoLogger& log) {
    std::vector<std::int64_t> stamps;
    log.ForEach([&](const unsigned char* p, std::int32_t) {
        stamps.push_back(TKelvoLog::Load(p).TimeStamp);
    });
    return stamps;
}

} // namespace

TEST(KelvoLog, RendersFramesAndCodes) {
    TKelvoLogger log;
    EXPECT_EQ(log.Render(), "Empty!");

    const TBytes frame = Frame(1, {0x41, 0x42});
    ASSERT_EQ(frame, (TBytes{0x9D, 0x22, 0x41, 0x42, 0xC0, 0xBE, 0xD6}));
    // 25 h 1 min 2.345 s after start: hours of the day.
    const std::int64_t stamp = ((25LL * 3600 + 62) * 1000 + 345) * 10'000;
    Add(log, stamp, -15, 0, frame, {}, {0xBA});
    Add(log, 0, 0, -1, {0x74}, {0x74}, {0x9D, 0x45, 0x00});

    const std::string expected = "\n1      1:01:02.345   Result: COM=-15 Stream=0\n"
                                 "\nT: 9D 22" +
                                 Blanks(6) +
                                 " ; START No.1, 2 Byte"
                                 "\n   41 42" +
                                 Blanks(6) +
                                 " ; AB"
                                 "\n   C0 BE D6" +
                                 Blanks(5) +
                                 " ; CRC"
                                 "\nL:" +
                                 Blanks(8) +
                                 " ; "
                                 "\nR: BA" +
                                 Blanks(7) +
                                 " ; CONTI"
                                 "\n"
                                 "\n2      0:00:00.000   Result: COM=0 Stream=-1\n"
                                 "\nT: 74" +
                                 Blanks(7) +
                                 " ; READY"
                                 "\nL: 74" +
                                 Blanks(7) +
                                 " ; READY"
                                 "\nR: 9D 45 00" +
                                 Blanks(5) +
                                 " ; CRC"
                                 "\n";
    EXPECT_EQ(log.Render(), expected);
}

TEST(KelvoLog, RendersShortSectionsAsTextOrNames) {
    TKelvoLogger log;
    Add(log, 0, 0, 0, {0x9D, 0x45}, {0x41, 0x20, 0x05, 0xE4}, {0x13, 0x69});
    const std::string text = log.Render();
    EXPECT_NE(text.find("\nT: 9D 45" + Blanks(6) + " ; START No.2, 5 Byte"), std::string::npos);
    EXPECT_NE(text.find("\nL: 41 20 05 E4" + Blanks(4) + " ; A..\xE4"), std::string::npos);
    EXPECT_NE(text.find("\nR: 13 69" + Blanks(6) + " ; Undefined"), std::string::npos);

    // A long reply: two bytes, eight per line, then the last three as CRC.
    TKelvoLogger frames;
    TBytes reply = Frame(0, TBytes(10, 0x31));
    Add(frames, 0, 0, 0, {0xBA}, {0xBA}, reply);
    const std::string dump = frames.Render();
    EXPECT_NE(dump.find("\n   31 31 31 31 31 31 31 31 ; 11111111"), std::string::npos);
    EXPECT_NE(dump.find("\n   31 31" + Blanks(6) + " ; 11\n"), std::string::npos);
}

TEST(KelvoLog, WrapsAroundKeepingTheNewestInOrder) {
    TKelvoLogger log(2000);
    std::int64_t next = 1;
    for (int round = 0; round < 400; ++round) {
        const TBytes t(static_cast<std::size_t>(1 + (round * 7) % 33), 0x55);
        const TBytes r(static_cast<std::size_t>((round * 5) % 36), 0xAA);
        Add(log, next++, 0, 0, t, t, r);
        ASSERT_EQ(log.Validate(), 0) << "after record " << next - 1;
        const auto last = TKelvoLog::Load(log.LastRecord());
        ASSERT_EQ(last.TimeStamp, next - 1);
    }
    const auto stamps = Stamps(log);
    ASSERT_EQ(static_cast<int>(stamps.size()), log.Count());
    EXPECT_GT(stamps.size(), 10u);
    EXPECT_LT(stamps.size(), 100u);
    for (std::size_t i = 0; i < stamps.size(); ++i)
        EXPECT_EQ(stamps[i], next - static_cast<std::int64_t>(stamps.size() - i));
    // Entries are numbered from 1 for the oldest one held.
    const std::string text = log.Render();
    EXPECT_EQ(text.rfind("\n1    ", 0), 0u);
    EXPECT_NE(text.find("\n" + std::to_string(stamps.size()) + " "), std::string::npos);
    EXPECT_EQ(text.find("\n" + std::to_string(stamps.size() + 1) + " "), std::string::npos);
    EXPECT_EQ(log.BufferSize(), 2008);
}

TEST(KelvoLog, RecordLargerThanTheRoomGrowsTheLog) {
    TKelvoLogger log(40);
    const TBytes big(100, 0x30);
    Add(log, 1, 0, 0, big, {}, {});
    EXPECT_EQ(log.BufferSize(), 4 * (TKelvoLog::Size + 100 + 8) + 8);
    Add(log, 2, 0, 0, {1}, {1}, {2});
    EXPECT_EQ(log.Validate(), 0);
    EXPECT_EQ(Stamps(log), (std::vector<std::int64_t>{1, 2}));
    // Once full, the big record makes way for new ones.
    for (int i = 3; i < 20; ++i)
        Add(log, i, 0, 0, big, {}, {});
    EXPECT_EQ(log.Validate(), 0);
    EXPECT_EQ(Stamps(log).back(), 19);
    EXPECT_EQ(log.BufferSize(), 4 * (TKelvoLog::Size + 100 + 8) + 8);
    EXPECT_EQ(log.Append(nullptr, 0), nullptr);
}

TEST(KelvoLog, DamagedEntryIsReportedAndSkipped) {
    TScriptedPrompt prompt;
    TPromptScope scope(prompt);
    TKelvoLogger log;
    TKelvoLog h = Header(0, 0, 0, {1}, {1}, {1});
    h.Replied = 50; // more bytes than the record holds
    unsigned char payload[TKelvoLog::Size + 3] = {};
    h.Store(payload);
    log.Append(payload, sizeof payload);
    Add(log, 0, 0, 0, {0x74}, {0x74}, {0x74});
    const std::string text = log.Render();
    ASSERT_EQ(prompt.Asked.size(), 1u);
    EXPECT_EQ(prompt.Asked[0].Text, "Error at 1");
    const std::string header = "  0:00:00.000   Result: COM=0 Stream=0\n";
    EXPECT_EQ(text.rfind("\n1    " + header + "\n\n2    " + header + "\nT: 74", 0), 0u);
}
