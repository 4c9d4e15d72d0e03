#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "support/program_names.h"

namespace {

Field* const allFields[] = {&u, &v, &scratch, &h, &heightChange, &heightAccel,
                            &speedSq, &flowDirection, &energyProduct};

void expectRest()
{
    for (Field* f : allFields)
        ASSERT_EQ(f->size(), size_t(CELL_COUNT));
    for (int i = 0; i < CELL_COUNT; ++i) {
        ASSERT_EQ(h[i], 1.0f) << "cell " << i;
        for (Field* f : allFields) {
            if (f != &h) {
                ASSERT_EQ((*f)[i], 0.0f) << "cell " << i;
            }
        }
    }
}

// Fills every field with a distinct non-rest pattern.
void disturbFields()
{
    float k = 0.25f;
    for (Field* f : allFields) {
        for (int i = 0; i < CELL_COUNT; ++i)
            (*f)[i] = k + float(i % 97) * 0.001f;
        k += 1.0f;
    }
}

} // namespace

TEST(StaticInitialisation, GlobalsStartAsDocumented)
{
    // The program's basin is the seed's, at rest from the start.
    EXPECT_EQ(basin.width(), 160);
    EXPECT_EQ(basin.height(), 160);
    expectRest();

    EXPECT_EQ(invCellSize, 3.2000000476837158f);
    EXPECT_EQ(double(invCellSize), double(float(1.0 / 0.3125)));

    // The timer was primed from a zero last reading, so the delta is the raw reading.
    EXPECT_EQ(perfFrequency, int64_t(1000000000));
    EXPECT_GT(perfLast, 0);
    EXPECT_EQ(perfDelta, perfLast);

    EXPECT_EQ(colorMode, 0);
    EXPECT_EQ(colorOffsets[0], 0.3333333333333333);
    EXPECT_EQ(colorOffsets[1], -0.3333333333333333);
    EXPECT_FALSE(paused);
    EXPECT_EQ(windowWidth, 640);
    EXPECT_EQ(windowHeight, 480);
    EXPECT_EQ(hMax, 1.0f);
    EXPECT_EQ(hMin, 1.0f);
    for (float scale : {hScale, heightChangeScale, heightAccelScale, speedSqScale,
                        flowDirectionScale, energyProductScale})
        EXPECT_EQ(scale, 0.0f);
    EXPECT_EQ(skybox, nullptr);
}

TEST(ResetFields, StartUpGivesExactRestState)
{
    resetFields();
    expectRest();
}

TEST(ResetFields, RestoresRestAndLeavesEverythingElseAlone)
{
    resetFields();
    disturbFields();

    colorMode = 5;
    paused = true;
    colorOffsets[0] = 0.0;
    hMax = 1.5f;
    speedSqMin = -2.0f;
    energyProductScale = 7.0f;

    resetFields();
    expectRest();

    EXPECT_EQ(colorMode, 5);
    EXPECT_TRUE(paused);
    EXPECT_EQ(colorOffsets[0], 0.0);
    EXPECT_EQ(hMax, 1.5f);
    EXPECT_EQ(speedSqMin, -2.0f);
    EXPECT_EQ(energyProductScale, 7.0f);
}

TEST(ResetFields, KeepsTheFieldsWhereTheyAre)
{
    // Views of the fields (the Python module's) outlive resets.
    const float* before = h.data();
    h[cellIndex(3, 4)] = 2.0f;
    resetFields();
    EXPECT_EQ(h.size(), size_t(CELL_COUNT));
    EXPECT_EQ(h.data(), before);
    EXPECT_EQ(h[3 + 4 * 160], 1.0f);
}

TEST(ResetRanges, ResetsExtremaButNotScales)
{
    hMax = 3.0f;
    hMin = 0.5f;
    heightChangeMax = 1.0f;
    flowDirectionMin = -3.0f;
    hScale = 4.0f;
    resetRanges();
    EXPECT_EQ(hMax, 1.0f);
    EXPECT_EQ(hMin, 1.0f);
    EXPECT_EQ(heightChangeMax, 0.0f);
    EXPECT_EQ(flowDirectionMin, 0.0f);
    EXPECT_EQ(hScale, 4.0f);
}
