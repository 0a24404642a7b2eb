#include "devicelink/crc24.h"

#include <gtest/gtest.h>

using kelvo::Crc24;

TEST(Crc24, CheckValues) {
    const unsigned char digits[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(Crc24(digits, sizeof digits), 0x87CD30u);
    const unsigned char pair[] = {0x21, 0x12};
    EXPECT_EQ(Crc24(pair, sizeof pair), 0xAC6888u);
    EXPECT_EQ(Crc24(nullptr, 0), 0x7Fu);
}
