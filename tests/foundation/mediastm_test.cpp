#include "foundation/exception.h"
#include "foundation/mediastm.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

using namespace kelvo;

namespace {

void Fill(TMemoryStream& m, const std::string& text) {
    m.Write(text.data(), static_cast<std::int32_t>(text.size()));
    m.SetPosition(0);
}

std::string Line(const char* p, const TLineBuffer& b) {
    return std::string(p, b.LineLength());
}

} // namespace

TEST(LineBuffer, ReadsTerminatedLinesThenReportsTheEnd) {
    TMemoryStream m;
    Fill(m, "ab\r\ncd\r\n");
    TTrueStreamBuffer b(m);
    b.SetCapacity(123);

    const char* p = b.ReadLine();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(Line(p, b), "ab");
    EXPECT_EQ(b.LineNumber(), 1);
    EXPECT_EQ(b.LineLength(), 2);
    EXPECT_EQ(b.Consumed(), 4);

    p = b.ReadLine();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(Line(p, b), "cd");
    EXPECT_EQ(b.LineNumber(), 2);

    EXPECT_EQ(b.ReadLine(), nullptr);
    EXPECT_EQ(b.Consumed(), 0);
    EXPECT_EQ(b.ReadLine(), nullptr);
    EXPECT_EQ(b.Consumed(), 0);
    EXPECT_EQ(b.LineNumber(), 2);
}

TEST(LineBuffer, UnreadAndTheLastLineWithoutTerminator) {
    TMemoryStream m;
    Fill(m, "ab\r\nef");
    TTrueStreamBuffer b(m);
    b.SetCapacity(123);
    ASSERT_NE(b.ReadLine(), nullptr);
    b.UnreadLine();
    EXPECT_EQ(b.LineNumber(), 0);
    const char* p = b.ReadLine();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(Line(p, b), "ab");
    EXPECT_EQ(b.LineNumber(), 1);

    EXPECT_EQ(b.ReadLine(), nullptr);
    EXPECT_EQ(b.Consumed(), 2);
    EXPECT_EQ(b.LineLength(), 2);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(b.Data()), 2), "ef");
    EXPECT_EQ(b.LineNumber(), 1);
    // Handing the unterminated bytes back does not uncount the delivered line.
    b.UnreadLine();
    EXPECT_EQ(b.LineNumber(), 1);
    EXPECT_EQ(b.ReadLine(), nullptr);
    EXPECT_EQ(b.Consumed(), 2);
    EXPECT_EQ(b.ReadLine(), nullptr);
    EXPECT_EQ(b.Consumed(), 0);
}

TEST(LineBuffer, LongestLineThatFitsIs120CharactersWithCapacity123) {
    const std::string fits(120, 'a');
    const std::string tooLong(121, 'b');
    TMemoryStream m;
    Fill(m, fits + "\r\n" + tooLong + "\r\n");
    TTrueStreamBuffer b(m);
    b.SetCapacity(123);

    const char* p = b.ReadLine();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(Line(p, b), fits);

    EXPECT_EQ(b.ReadLine(), nullptr);
    EXPECT_EQ(b.Consumed(), 122);
    EXPECT_EQ(b.LineLength(), 122);
    EXPECT_EQ(b.LineNumber(), 1);
}

TEST(LineBuffer, ManyLinesAcrossRefillsOfAFile) {
    char path[] = "/tmp/kelvo-linebuf-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    std::vector<std::string> lines;
    {
        TFileStream f(path, TFileStream::Create);
        ASSERT_TRUE(f.IsOpen());
        for (int i = 0; i < 2000; ++i) {
            lines.push_back(
                std::string(static_cast<std::size_t>(i * 37 % 121), char('A' + i % 26)));
            const std::string l = lines.back() + "\r\n";
            f.WriteBuffer(l.data(), static_cast<std::int32_t>(l.size()));
        }
    }
    TFileStream f(path, TFileStream::OpenRead);
    TTrueStreamBuffer b(f);
    b.SetCapacity(123);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const char* p = b.ReadLine();
        ASSERT_NE(p, nullptr) << "line " << i;
        ASSERT_EQ(Line(p, b), lines[i]) << "line " << i;
    }
    EXPECT_EQ(b.ReadLine(), nullptr);
    EXPECT_EQ(b.Consumed(), 0);
    EXPECT_EQ(b.LineNumber(), 2000);
    std::remove(path);
}

TEST(LineBuffer, TerminatorChoiceAndZeroBytes) {
    TMemoryStream m;
    Fill(m, "a\nb\r\nc");
    TTrueStreamBuffer b(m);
    b.SetCapacity(16);
    b.SetTerminator("\n");
    EXPECT_EQ(b.TerminatorLength(), 1);
    const char* p = b.ReadLine();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(Line(p, b), "a");
    b.SetTerminator(nullptr);
    EXPECT_STREQ(b.Terminator(), "\r\n");
    p = b.ReadLine();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(Line(p, b), "b");

    // A zero byte ends the searchable text: the line is not found.
    TMemoryStream z;
    z.Write("x\0y\r\n", 5);
    z.SetPosition(0);
    TTrueStreamBuffer bz(z);
    bz.SetCapacity(123);
    EXPECT_EQ(bz.ReadLine(), nullptr);
    EXPECT_EQ(bz.Consumed(), 5);
}

TEST(StaticStreamBuffer, NeverReadsOrWritesOutsideTheBlock) {
    char memory[12] = "0123456789";
    memory[10] = '#';
    memory[11] = '#';
    TStaticStreamBuffer b(memory, 10);
    char out[32] = {};

    EXPECT_EQ(b.Seek(8, SoBeginning), 8);
    EXPECT_EQ(b.Read(out, 5), 2);
    EXPECT_EQ(std::string(out, 2), "89");
    EXPECT_EQ(b.Read(out, 5), 0);
    EXPECT_EQ(b.Seek(-1, SoBeginning), -1);
    EXPECT_EQ(b.Read(out, 5), 0);
    EXPECT_EQ(b.Write("zz", 2), 0);
    EXPECT_EQ(b.Seek(-3, SoEnd), 7);
    EXPECT_EQ(b.Write("abcdef", 6), 3);
    EXPECT_EQ(std::string(memory, 12), std::string("0123456abc##", 12));
    EXPECT_EQ(b.Seek(5, 7), 10); // unknown origin: unchanged

    // A writer's window must lie inside the block.
    b.Seek(4, SoBeginning);
    b.SetCapacity(6);
    EXPECT_EQ(b.Data(), reinterpret_cast<std::uint8_t*>(memory + 4));
    b.SetCapacity(7);
    EXPECT_EQ(b.Data(), nullptr);
    b.SetCapacity(0);
    EXPECT_EQ(b.Data(), nullptr);

    // A reader may fill the window up to the block's end and still reach it.
    b.Seek(0, SoBeginning);
    b.SetCapacity(4);
    b.Refill(0);
    EXPECT_EQ(b.Count(), 4);
    b.Ensure(100);
    EXPECT_EQ(b.Count(), 10);
    EXPECT_EQ(b.Offset(), 10);
    EXPECT_EQ(b.Data(), nullptr); // the window of 104 bytes does not fit
    b.Resize(10);
    EXPECT_EQ(b.Data(), reinterpret_cast<std::uint8_t*>(memory));
}

TEST(DynaStreamBuffer, GrowsItsStreamForWritersAndAdvancesOnFlush) {
    TMemoryStream m;
    TDynaStreamBuffer b(&m);
    b.SetCapacity(100);
    std::uint8_t* p = b.Data();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(m.Length(), 100);
    std::memset(p, 'x', 60);
    b.Flush(60);
    EXPECT_EQ(m.Position(), 60);
    p = b.Data();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(m.Length(), 160);
    EXPECT_EQ(p, m.Memory() + 60);
    b.Flush(500); // cut to the window
    EXPECT_EQ(m.Position(), 160);

    TDynaStreamBuffer owned;
    owned.SetCapacity(8);
    ASSERT_NE(owned.Data(), nullptr);
    EXPECT_EQ(owned.Source().Length(), 8);
}

TEST(DynaStreamBuffer, ReaderWindowGrowsWithEnsureAndLeavesTheStreamAlone) {
    TMemoryStream m;
    Fill(m, "0123456789");
    TDynaStreamBuffer b(&m);
    b.SetCapacity(4);
    b.Refill(0);
    EXPECT_EQ(b.Count(), 4);
    EXPECT_EQ(m.Position(), 4);
    b.Ensure(3);
    EXPECT_EQ(b.Count(), 7);
    EXPECT_EQ(b.Capacity(), 7);
    EXPECT_EQ(b.Data(), m.Memory());
    EXPECT_EQ(m.Length(), 10);
    b.Ensure(50);
    EXPECT_EQ(b.Count(), 10);
    EXPECT_EQ(m.Position(), 10);
    // Dropping bytes moves the window start; the position stays at its end.
    b.Refill(2);
    EXPECT_EQ(b.Count(), 2);
    b.Resize(2);
    EXPECT_EQ(b.Data(), m.Memory() + 8);
}

TEST(TrueStreamBuffer, WritesRewritesAndRaisesOnShortWrites) {
    TMemoryStream m;
    Fill(m, "abcdefgh");
    TTrueStreamBuffer b(m);
    b.SetCapacity(4);
    b.Refill(0);
    ASSERT_EQ(b.Count(), 4);
    b.Data()[0] = 'A';
    b.Data()[1] = 'B';
    b.Rewrite(2);
    EXPECT_EQ(b.Count(), 0);
    EXPECT_EQ(m.Position(), 2);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(m.Memory()), 8), "ABcdefgh");

    b.Refill(0);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(b.Data()), 4), "cdef");
    b.Refill(1); // keeps "f", reads "gh"
    EXPECT_EQ(b.Count(), 3);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(b.Data()), 3), "fgh");

    char small[4] = {};
    TStaticStreamBuffer sink(small, 4);
    TTrueStreamBuffer w(sink);
    w.SetCapacity(8);
    std::memcpy(w.Data(), "12345678", 8);
    EXPECT_THROW(w.Flush(8), EStreamError);
}

TEST(Sentinel, RestoresWhenMovedClearedOrDestroyed) {
    char text[] = "abcdef";
    {
        TSentinel s(text + 2, '\0');
        EXPECT_STREQ(text, "ab");
        s.Set(text + 4, '!');
        EXPECT_STREQ(text, "abcd!f");
        TSentinel moved(std::move(s));
        EXPECT_EQ(moved.Saved(), 'e');
        s.Set(nullptr);
        EXPECT_STREQ(text, "abcd!f");
    }
    EXPECT_STREQ(text, "abcdef");
}
