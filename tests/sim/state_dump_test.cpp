// The dump's bytes are the same on every processor: little-endian floats in a
// fixed order, so hashes and dumps compare across machines (s390x is big-endian).

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "sim_fixture.h"

namespace {

float fromBits(uint32_t bits)
{
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

// The four bytes at float slot `index` of the dump.
std::vector<unsigned char> slot(const std::vector<unsigned char>& bytes, size_t index)
{
    return {bytes.begin() + long(4 * index), bytes.begin() + long(4 * index + 4)};
}

using Slot = std::vector<unsigned char>;

TEST_F(SimTest, DumpWritesFloatsLowByteFirstInFieldOrder)
{
    // Four different bytes in each value, so any reordering shows.
    h[0] = fromBits(0x3F812345u);
    u[cellIndex(1, 0)] = fromBits(0xC0A1B2C3u);
    energyProduct[CELL_COUNT - 1] = fromBits(0x01020304u);
    hMax = fromBits(0x7F7FFFFEu);
    energyProductScale = fromBits(0x80000001u);

    const std::vector<unsigned char> bytes = stateBytes();
    ASSERT_EQ(bytes.size(), STATE_DUMP_BYTES);
    EXPECT_EQ(slot(bytes, 0), (Slot{0x45, 0x23, 0x81, 0x3F}));
    EXPECT_EQ(slot(bytes, 1), (Slot{0x00, 0x00, 0x80, 0x3F})) << "h at rest is 1.0f";
    EXPECT_EQ(slot(bytes, CELL_COUNT + 1), (Slot{0xC3, 0xB2, 0xA1, 0xC0}));
    EXPECT_EQ(slot(bytes, 8 * CELL_COUNT - 1), (Slot{0x04, 0x03, 0x02, 0x01}));
    EXPECT_EQ(slot(bytes, 8 * CELL_COUNT), (Slot{0xFE, 0xFF, 0x7F, 0x7F}));
    EXPECT_EQ(slot(bytes, 8 * CELL_COUNT + 17), (Slot{0x01, 0x00, 0x00, 0x80}));
}

TEST_F(SimTest, EachRangeVariableHasItsNameItsModesSlotAndItsPlaceInTheDump)
{
    // The names the front ends use (Python's ranges(), replay), in the dump's order.
    float* const named[] = {&hMax,           &hMin,           &hScale,         &heightChangeMax,
                            &heightChangeMin, &heightChangeScale, &heightAccelMax, &heightAccelMin,
                            &heightAccelScale, &speedSqMax,    &speedSqMin,     &speedSqScale,
                            &flowDirectionMax, &flowDirectionMin, &flowDirectionScale, &energyProductMax,
                            &energyProductMin, &energyProductScale};
    const char* const names[] = {"hMax", "hMin", "hScale", "heightChangeMax", "heightChangeMin", "heightChangeScale",
                                 "heightAccelMax", "heightAccelMin", "heightAccelScale", "speedSqMax", "speedSqMin",
                                 "speedSqScale", "flowDirectionMax", "flowDirectionMin", "flowDirectionScale",
                                 "energyProductMax", "energyProductMin", "energyProductScale"};
    const std::vector<NamedRange>& ranges = rangeVariables();
    ASSERT_EQ(ranges.size(), 18u);
    for (size_t k = 0; k < 18; ++k) {
        SCOPED_TRACE(names[k]);
        EXPECT_EQ(ranges[k].name, names[k]);
        EXPECT_EQ(ranges[k].mode, ColorMode(MODE_H + k / 3));
        EXPECT_EQ(&ranges[k].of(basin), named[k]);
        const Range& r = basin.ranges[MODE_H + k / 3];
        EXPECT_EQ(named[k], k % 3 == 0 ? &r.max : k % 3 == 1 ? &r.min : &r.scale);
        // Written alone, it shows in its own slot of the dump and nowhere else.
        const std::vector<unsigned char> before = stateBytes();
        *named[k] = fromBits(0x41000000u + uint32_t(k));
        const std::vector<unsigned char> after = stateBytes();
        const uint32_t value = 0x41000000u + uint32_t(k);
        const size_t at = 8 * size_t(CELL_COUNT) + k;
        EXPECT_EQ(slot(after, at), (Slot{uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), 0x41}));
        for (size_t other = 8 * size_t(CELL_COUNT); other < 8 * size_t(CELL_COUNT) + 18; ++other) {
            if (other != at) {
                EXPECT_EQ(slot(after, other), slot(before, other)) << "slot " << other;
            }
        }
    }
}

TEST(StateHash, FnvMatchesTheReferenceValues)
{
    const unsigned char text[] = {'f', 'o', 'o', 'b', 'a', 'r'};
    EXPECT_EQ(fnv1a64(text, 0), 0xcbf29ce484222325ull);
    EXPECT_EQ(fnv1a64(text + 4, 1), 0xaf63dc4c8601ec8cull);
    EXPECT_EQ(fnv1a64(text, 6), 0x85944171f73967e8ull);
}

} // namespace
