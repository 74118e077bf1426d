#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "platform/ByteRing.h"

namespace {

std::vector<std::uint8_t> Sequence(std::size_t count, std::uint8_t first) {
    std::vector<std::uint8_t> bytes(count);
    std::iota(bytes.begin(), bytes.end(), first);
    return bytes;
}

TEST(ByteRingTest, WritesOnlyWhatFitsAndReadsInOrderAcrossTheWrap) {
    ByteRing ring(10);
    const auto first = Sequence(7, 0);
    EXPECT_EQ(ring.Write(first.data(), first.size()), 7u);
    std::vector<std::uint8_t> out(5);
    EXPECT_EQ(ring.Read(out.data(), 5), 5u);
    EXPECT_EQ(out, Sequence(5, 0));

    // 2 bytes are left at positions 5..6; 8 more wrap around the end.
    const auto second = Sequence(12, 7);
    EXPECT_EQ(ring.Write(second.data(), second.size()), 8u);
    EXPECT_EQ(ring.Free(), 0u);
    std::vector<std::uint8_t> all(20);
    EXPECT_EQ(ring.Read(all.data(), all.size()), 10u);
    all.resize(10);
    EXPECT_EQ(all, Sequence(10, 5));
    EXPECT_EQ(ring.Size(), 0u);
}

TEST(ByteRingTest, ClearDropsEverythingAndFreesTheWholeCapacity) {
    ByteRing ring(4);
    const auto bytes = Sequence(3, 1);
    ring.Write(bytes.data(), bytes.size());
    ring.Clear();
    EXPECT_EQ(ring.Free(), 4u);
    std::uint8_t out[4];
    EXPECT_EQ(ring.Read(out, 4), 0u);
}

}  // namespace
