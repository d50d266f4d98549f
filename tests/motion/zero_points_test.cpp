// The zero-point windows' mappings: zero value <-> zero byte, the position
// filter, the direction bytes and the ZERO and DIR lines they insert.
#include <gtest/gtest.h>

#include <QString>

#include "motion/ZeroPoints.h"

namespace {

TEST(ZeroPointBytes, ByteAndValueMappings) {
    const struct {
        int zeroByte, value;
    } reads[] = {{206, 50}, {205, 100}, {51, 100}, {50, 150}, {0, 100}, {255, 99}, {1, 101}, {128, 100}};
    for (const auto& c : reads)
        EXPECT_EQ(ZeroPoints::ByteToValue(static_cast<uint8_t>(c.zeroByte)), c.value) << c.zeroByte;

    const struct { int value, zeroByte; } writes[] = {{50, 206}, {150, 50}, {100, 0}, {99, 255}, {101, 1}};
    for (const auto& c : writes)
        EXPECT_EQ(ZeroPoints::ValueToByte(static_cast<int16_t>(c.value)), c.zeroByte) << c.value;

    // Every value a live change can leave (50..150) reads back unchanged.
    for (int16_t v = ZeroPoints::kLowestValue; v <= ZeroPoints::kHighestValue; ++v)
        EXPECT_EQ(ZeroPoints::ByteToValue(ZeroPoints::ValueToByte(v)), v) << v;
}

TEST(ZeroPointBytes, PositionFilterKeeps10To190) {
    const struct {
        int position, kept;
    } cases[] = {{9, 0}, {10, 10}, {100, 100}, {190, 190}, {191, 0}, {0, 0}, {255, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(ZeroPoints::FilterPosition(static_cast<uint8_t>(c.position)), c.kept) << c.position;
        EXPECT_EQ(ZeroPoints::UsablePosition(static_cast<uint8_t>(c.position)), c.kept != 0) << c.position;
    }
}

TEST(ZeroPointBytes, DirectionBytesCarryServo8kPlusJInBitJ) {
    EXPECT_EQ(ZeroPoints::DirectionByte({1, 0, 0, 1, 0, 0, 1, 1}), 201);
    EXPECT_EQ(ZeroPoints::DirectionByte({1, 1, 1, 1, 0, 0, 0, 0}), 15);
    EXPECT_EQ(ZeroPoints::DirectionByte({0, 0, 0, 0, 0, 0, 0, 0}), 0);
    EXPECT_EQ(ZeroPoints::DirectionByte({1, 1, 1, 1, 1, 1, 1, 1}), 255);

    const std::array<uint8_t, 4> bytes = {201, 15, 88, 0x80};
    // Each byte comes back from its eight bits.
    for (int k = 0; k < 4; ++k) {
        std::array<int16_t, 8> values{};
        for (int j = 0; j < 8; ++j) values[static_cast<size_t>(j)] = ZeroPoints::DirectionBit(bytes, 8 * k + j) ? 1 : 0;
        EXPECT_EQ(ZeroPoints::DirectionByte(values), bytes[static_cast<size_t>(k)]) << k;
    }
    EXPECT_TRUE(ZeroPoints::DirectionBit(bytes, 31));
    EXPECT_FALSE(ZeroPoints::DirectionBit(bytes, 30));
    EXPECT_FALSE(ZeroPoints::DirectionBit(bytes, 32));
    EXPECT_FALSE(ZeroPoints::DirectionBit(bytes, -1));
}

TEST(ZeroPointLines, ZeroAndDirLinesForServos0To23) {
    std::array<int16_t, 24> values{};
    values.fill(100);
    values[2] = 95;
    values[4] = 120;
    values[6] = 5;
    values[23] = 1000;  // more than three digits: the last three stay
    EXPECT_EQ(ZeroPoints::ZeroLines(values), QStringLiteral("ZERO G6A,100, 100,  95, 100, 120, 100\r\n"
                                                            "ZERO G6B,  5, 100, 100, 100, 100, 100\r\n"
                                                            "ZERO G6C,100, 100, 100, 100, 100, 100\r\n"
                                                            "ZERO G6D,100, 100, 100, 100, 100, 000\r\n"));

    std::array<int16_t, 24> dirs{};
    for (size_t i = 0; i < dirs.size(); ++i) dirs[i] = (i % 3 == 0) ? 1 : 0;
    EXPECT_EQ(ZeroPoints::DirLines(dirs), QStringLiteral("DIR G6A,1, 0, 0, 1, 0, 0\r\n"
                                                         "DIR G6B,1, 0, 0, 1, 0, 0\r\n"
                                                         "DIR G6C,1, 0, 0, 1, 0, 0\r\n"
                                                         "DIR G6D,1, 0, 0, 1, 0, 0\r\n"));
}

}  // namespace
