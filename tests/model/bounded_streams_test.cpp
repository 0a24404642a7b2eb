#include "model/bounded_streams.h"
#include "record_bytes.h"

#include <gtest/gtest.h>

namespace kelvo {
namespace {

TEST(BoundedReader, ReadsTheWindowAcrossBufferBoundariesAndStepsBack) {
    test::TBytes bytes(3 * TBoundedReader::BufferSize + 17);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = std::uint8_t(i * 7 + i / 251);
    TMemoryStream source;
    test::Load(source, bytes);
    source.SetPosition(5);
    const std::int64_t limit = 2 * TBoundedReader::BufferSize + 3;
    TBoundedReader in(source, limit);

    test::TBytes got;
    std::uint8_t chunk[1024];
    for (int step = 1;; step = step % 997 + 13) {
        const std::int32_t n = in.Read(chunk, step);
        got.insert(got.end(), chunk, chunk + n);
        if (n < step)
            break;
        // Stepping back one byte, as a cut text does, gives the same byte again.
        if (got.size() % 3 == 0) {
            ASSERT_EQ(in.Seek(-1, SoCurrent), std::int64_t(got.size()) - 1);
            std::uint8_t again = 0;
            ASSERT_EQ(in.Read(&again, 1), 1);
            ASSERT_EQ(again, got.back());
        }
    }
    ASSERT_EQ(std::int64_t(got.size()), limit);
    EXPECT_TRUE(std::equal(got.begin(), got.end(), bytes.begin() + 5));
    in.Sync();
    EXPECT_EQ(source.Position(), 5 + limit);

    // A limit beyond the source's end is cut to what is there.
    source.SetPosition(0);
    TBoundedReader all(source, 1 << 30);
    EXPECT_EQ(all.Seek(0, SoEnd), std::int64_t(bytes.size()));
}

} // namespace
} // namespace kelvo
