// The vector pass for the surface's vertex attributes against the portable one,
// on every target this processor offers, bit for bit: disturbed water in every
// colour mode, grey tones, and the infinite and NaN parameters of a mode switched
// to while paused.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "support/program_names.h"
#include "render/vertex_attributes.h"
#include "simd/targets.h"
#include "app/drops.h"
#include "sim/step.h"

namespace {

// A NaN no computation produces, so a cell a pass should have written and did not
// stands out, and so does one it should not have written.
float sentinel()
{
    const uint32_t bits = 0x7fa5a5a5u;
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

// The ten arrays with their names, writable or not as the attributes are.
template <class Attributes,
          class Array = std::conditional_t<std::is_const_v<Attributes>, const CellArray, CellArray>>
std::vector<std::pair<const char*, Array*>> namedArrays(Attributes& a)
{
    return {{"height", &a.height},
            {"red", &a.red},
            {"green", &a.green},
            {"blue", &a.blue},
            {"upper normal x", &a.upper.x},
            {"upper normal y", &a.upper.y},
            {"upper normal z", &a.upper.z},
            {"lower normal x", &a.lower.x},
            {"lower normal y", &a.lower.y},
            {"lower normal z", &a.lower.z}};
}

VertexAttributes freshAttributes()
{
    VertexAttributes a;
    sizeVertexAttributes(a, CELL_COUNT);
    for (const auto& [name, array] : namedArrays(a))
        std::fill(array->begin(), array->end(), sentinel());
    return a;
}

// Every element of every array, sentinels included; the first few differences named.
void expectSameBits(const VertexAttributes& got, const VertexAttributes& want, const std::string& state)
{
    const auto gotArrays = namedArrays(got), wantArrays = namedArrays(want);
    int reported = 0;
    for (size_t k = 0; k < gotArrays.size(); ++k) {
        const CellArray& g = *gotArrays[k].second;
        const CellArray& w = *wantArrays[k].second;
        ASSERT_EQ(g.size(), size_t(CELL_COUNT)) << gotArrays[k].first;
        ASSERT_EQ(w.size(), size_t(CELL_COUNT)) << gotArrays[k].first;
        for (int cell = 0; cell < CELL_COUNT; ++cell) {
            if (std::memcmp(&g[cell], &w[cell], sizeof(float)) != 0 && reported++ < 5)
                ADD_FAILURE() << state << ": " << gotArrays[k].first << " of cell (" << cell % GRID_SIZE << ", "
                              << cell / GRID_SIZE << ") is " << g[cell] << ", portable " << w[cell];
        }
    }
    EXPECT_EQ(reported, 0) << state << ": differing elements";
}

void buildBoth(VertexAttributes& a)
{
    buildSurfaceGeometry(gridOf(basin), a);
    buildSurfaceColors(gridOf(basin), colorInputs(basin, colorOffsets), a);
}

// What the strips would be sent, from the chosen path and from the portable one.
void expectPassesAgree(const std::string& target, const std::string& state)
{
    VertexAttributes portable = freshAttributes();
    VertexAttributes vector = freshAttributes();
    ASSERT_TRUE(simd::useTarget(simd::PORTABLE));
    buildBoth(portable);
    ASSERT_TRUE(simd::useTarget(target));
    buildBoth(vector);
    simd::useDefaultTarget();
    expectSameBits(vector, portable, target + ", " + state);
}

void colourOffsets() { colorOffsets[0] = 1.0 / 3.0; colorOffsets[1] = -1.0 / 3.0; }
void greyOffsets() { colorOffsets[0] = colorOffsets[1] = 0.0; }

void startAtRest()
{
    resetFields();
    resetRanges();
    hScale = heightChangeScale = heightAccelScale = 0.0f;
    speedSqScale = flowDirectionScale = energyProductScale = 0.0f;
    colorMode = 0;
    colourOffsets();
}

// Every mode, 7 standing for any value outside 0 to 6, in colour and in grey.
template <class Check>
void inEveryModeAndTone(const Check& check)
{
    for (int mode = 0; mode <= 7; ++mode) {
        colorMode = mode;
        colourOffsets();
        check("mode " + std::to_string(mode) + ", colour");
        greyOffsets();
        check("mode " + std::to_string(mode) + ", grey");
    }
    colourOffsets();
}

std::vector<std::string> vectorTargets()
{
    std::vector<std::string> targets;
    for (const std::string& name : simd::targetNames())
        if (name != simd::PORTABLE)
            targets.push_back(name);
    return targets;
}

std::string paramName(const ::testing::TestParamInfo<std::string>& info) { return info.param; }

class VertexPasses : public ::testing::TestWithParam<std::string> {};

} // namespace

GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(VertexPasses);
INSTANTIATE_TEST_SUITE_P(Targets, VertexPasses, ::testing::ValuesIn(vectorTargets()), paramName);

TEST_P(VertexPasses, WaterAtRestBeforeAndAfterTheFirstStep)
{
    startAtRest();
    // Before the first step every scale is 0: t = 0 everywhere.
    inEveryModeAndTone([&](const std::string& s) { expectPassesAgree(GetParam(), "before the first step, " + s); });
    // After it every range is empty: infinite scales, NaN parameters.
    simulationStep();
    inEveryModeAndTone([&](const std::string& s) { expectPassesAgree(GetParam(), "at rest, " + s); });
}

TEST_P(VertexPasses, MovingWaterInEveryModeAndAfterEveryPausedSwitch)
{
    // Run in each mode; show it in that mode (finite ranges) and in every other
    // one, as a switch while paused does (infinite scales: NaN, +inf and -inf).
    for (int runMode = 0; runMode <= 6; ++runMode) {
        startAtRest();
        basin.addDrop(80, 80, 6, 0.1f);
        basin.addDrop(31, 140, 3, 0.08f);
        basin.addDrop(150, 20, 5, 0.05f);
        colorMode = runMode;
        for (int i = 0; i < 25 + 7 * runMode; ++i)
            simulationStep();
        inEveryModeAndTone([&](const std::string& s) {
            expectPassesAgree(GetParam(), "run in mode " + std::to_string(runMode) + ", shown in " + s);
        });
        // A drop while paused lifts heights past the last step's range: t wraps.
        basin.addDrop(60, 100, 8, 0.09f);
        colorMode = 1;
        expectPassesAgree(GetParam(), "run in mode " + std::to_string(runMode) + ", paused drop, mode 1");
    }
}

TEST_P(VertexPasses, ParametersThatOverflowOrFallOutsideEveryWrap)
{
    startAtRest();
    basin.addDrop(70, 70, 10, 0.1f);
    for (int i = 0; i < 12; ++i)
        simulationStep();
    colorMode = 1;
    struct Range {
        float minimum, scale;
    } ranges[] = {
        {1.0f, 3e38f},   // t beyond the largest float: +inf after rounding
        {1.05f, -3e38f}, // and -inf
        {0.5f, 2.0f},    // t from about 1 to 1.2: one wrap
        {1.0f, -40.0f},  // t far below 0: channels below 0
        {1.0f, std::numeric_limits<float>::quiet_NaN()},
        {-std::numeric_limits<float>::infinity(), 1.0f},
    };
    for (const Range& r : ranges) {
        hMin = r.minimum;
        hScale = r.scale;
        inEveryModeAndTone([&](const std::string& s) {
            if (colorMode == 1)
                expectPassesAgree(GetParam(), "hMin " + std::to_string(r.minimum) + ", hScale " +
                                                  std::to_string(r.scale) + ", " + s);
        });
    }
    // Steep, sharp heights: large slopes in the normals.
    for (int cell = 0; cell < CELL_COUNT; cell += 7)
        h[unsigned(cell)] = float(1.0 + 0.37 * std::sin(cell * 0.91));
    colorMode = 1;
    hMin = 0.6f;
    hScale = 1.3f;
    expectPassesAgree(GetParam(), "sharp heights");
}

TEST(VertexPathChoice, OffersEveryVectorTargetAndThePortablePass)
{
    const std::vector<std::string>& names = simd::targetNames();
    ASSERT_FALSE(names.empty());
    EXPECT_EQ(std::count(names.begin(), names.end(), std::string(simd::PORTABLE)), 1);
    EXPECT_EQ(simd::chosenTargetName(), names.front());
    EXPECT_FALSE(simd::useTarget("no such target"));
    EXPECT_EQ(simd::chosenTargetName(), names.front());
    for (const std::string& name : names) {
        EXPECT_TRUE(simd::useTarget(name));
        EXPECT_EQ(simd::chosenTargetName(), name);
        EXPECT_EQ(simd::portableChosen(), name == simd::PORTABLE);
    }
    simd::useDefaultTarget();
    EXPECT_EQ(simd::chosenTargetName(), names.front());
}
