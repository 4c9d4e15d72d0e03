// The volume keeper: off, the step's bits as they were; on, the same bits on
// every target and thread count, the water's volume held to about a float step
// per cell over a long walled run, and its state saved with the basin.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "sim/basin.h"
#include "sim/basin_state.h"
#include "sim/volume.h"
#include "simd/targets.h"
#include "sized_config.h"

namespace {

// Islands against the walls and in the open, the drops' seed set.
Basin walled(int width, int height, int threads, bool keep)
{
    Basin b(sized(width, height, threads));
    for (int y = height / 4; y < height / 4 + 5; ++y)
        for (int x = width / 3; x < width / 3 + 6; ++x)
            b.walls[size_t(b.cellIndex(x, y))] = 1;
    for (int y = 1; y < 4; ++y)
        b.walls[size_t(b.cellIndex(width - 3, y))] = 1;
    b.reset();
    b.volumeKeeper.on = keep;
    b.generator.seed(5);
    return b;
}

// Steps n times with a random drop before every every-th step; returns the
// largest relative departure of the volume from its start plus the drops' water.
double stepWithDrops(Basin& b, int n, int every)
{
    const double start = waterVolume(b);
    double added = 0.0, worst = 0.0;
    for (int k = 0; k < n; ++k) {
        if (k % every == 0) {
            const double before = waterVolume(b);
            b.randomDrop();
            added += waterVolume(b) - before;
        }
        b.step();
        worst = std::max(worst, std::fabs(waterVolume(b) - start - added) / start);
    }
    return worst;
}

class VolumePaths : public ::testing::TestWithParam<std::string> {
protected:
    void TearDown() override { simd::useDefaultTarget(); }
};

TEST_P(VolumePaths, OnGivesThePortableOneThreadBitsOnEveryThreadCount)
{
    for (const auto& shape : {std::pair<int, int>{61, 37}, {37, 61}, {131, 11}}) {
        ASSERT_TRUE(simd::useTarget(simd::PORTABLE));
        Basin expected = walled(shape.first, shape.second, 1, true);
        stepWithDrops(expected, 300, 50);
        Basin plain = walled(shape.first, shape.second, 1, false);
        stepWithDrops(plain, 300, 50);
        // The keeper did shift the water, or this would prove nothing.
        EXPECT_NE(expected.stateHash(), plain.stateHash()) << shape.first << " x " << shape.second;
        ASSERT_TRUE(simd::useTarget(GetParam()));
        for (int threads : {1, 2, 3, 7}) {
            Basin b = walled(shape.first, shape.second, threads, true);
            stepWithDrops(b, 300, 50);
            EXPECT_EQ(b.stateHash(), expected.stateHash())
                << shape.first << " x " << shape.second << ", " << threads << " threads";
            EXPECT_EQ(b.volumeKeeper.debt, expected.volumeKeeper.debt);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, VolumePaths, ::testing::ValuesIn(simd::targetNames()),
                         [](const auto& info) { return info.param; });

TEST(VolumeOff, SwitchedOnAndOffAgainLeavesTheStepAsItWas)
{
    Basin plain = walled(50, 40, 1, false);
    Basin undone = walled(50, 40, 1, true);
    undone.volumeKeeper.on = false;
    stepWithDrops(plain, 200, 40);
    stepWithDrops(undone, 200, 40);
    EXPECT_EQ(plain.dump(), undone.dump());
    EXPECT_EQ(undone.volumeKeeper.debt, 0.0);
}

TEST(VolumeKeeper, HoldsAWalledBasinWithinAFloatStepPerCellOverALongRun)
{
    // A float step of the rest level, 1.0, upwards: 2^-23 of the volume.
    const double bound = 1.1 * std::ldexp(1.0, -23);
    Basin kept = walled(120, 120, 1, true);
    Basin free = walled(120, 120, 1, false);
    const double keptDrift = stepWithDrops(kept, 5000, 100);
    const double freeDrift = stepWithDrops(free, 5000, 100);
    EXPECT_LT(keptDrift, bound);
    // Without it the same run drifts by tens of parts per million.
    EXPECT_GT(freeDrift, 1e-5);
    // What is still owed is under a float step per water cell.
    EXPECT_LT(std::fabs(kept.volumeKeeper.debt), std::ldexp(1.0, -23) * 118 * 118);
}

TEST(VolumeKeeper, ALakeAtRestStaysAsThePlainStepLeavesItAndResetClearsTheDebt)
{
    Basin b = walled(40, 30, 1, true);
    Basin plain = walled(40, 30, 1, false);
    for (int k = 0; k < 100; ++k) {
        b.step();
        plain.step();
    }
    EXPECT_EQ(b.dump(), plain.dump());
    EXPECT_EQ(b.volumeKeeper.debt, 0.0);
    b.addDrop(20, 15, 3, 0.05f);
    for (int k = 0; k < 300; ++k)
        b.step();
    EXPECT_NE(b.volumeKeeper.debt, 0.0);
    b.reset();
    EXPECT_EQ(b.volumeKeeper.debt, 0.0);
    EXPECT_TRUE(b.volumeKeeper.on);
}

TEST(VolumeState, ASavedKeeperStepsOnToTheOriginalsBitsAndOldStatesReadOff)
{
    Basin b = walled(61, 37, 1, true);
    stepWithDrops(b, 250, 50);
    ASSERT_NE(b.volumeKeeper.debt, 0.0);
    const std::vector<unsigned char> bytes = saveBasinState(b);
    Basin back = restoreBasinState(bytes.data(), bytes.size());
    EXPECT_TRUE(back.volumeKeeper.on);
    EXPECT_EQ(back.volumeKeeper.debt, b.volumeKeeper.debt);
    for (int k = 0; k < 200; ++k) {
        b.step();
        back.step();
    }
    EXPECT_EQ(back.dump(), b.dump());
    // A basin without the keeper writes no section for it: states from before
    // the keeper read as they did, with it off.
    Basin plain = walled(61, 37, 1, false);
    const std::vector<unsigned char> old = saveBasinState(plain);
    const unsigned char tag[4] = {'V', 'O', 'L', 'M'};
    EXPECT_EQ(std::search(old.begin(), old.end(), tag, tag + 4), old.end());
    EXPECT_FALSE(restoreBasinState(old.data(), old.size()).volumeKeeper.on);
}

TEST(VolumeState, ABrokenKeeperSectionIsRefused)
{
    Basin b = walled(30, 20, 1, true);
    b.step();
    const std::vector<unsigned char> good = saveBasinState(b);
    const unsigned char tag[4] = {'V', 'O', 'L', 'M'};
    const size_t at = size_t(std::search(good.begin(), good.end(), tag, tag + 4) - good.begin());
    ASSERT_LT(at, good.size());
    const size_t payload = at + 4 + 8;
    std::vector<unsigned char> bad = good;
    bad[payload] = 2; // the switch is 0 or 1
    EXPECT_THROW(restoreBasinState(bad.data(), bad.size()), BasinStateError);
    bad = good;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    uint64_t bits;
    std::memcpy(&bits, &nan, 8);
    for (int k = 0; k < 8; ++k)
        bad[payload + 4 + size_t(k)] = static_cast<unsigned char>(bits >> (8 * k));
    try {
        restoreBasinState(bad.data(), bad.size());
        ADD_FAILURE() << "a NaN debt was accepted";
    } catch (const BasinStateError& e) {
        EXPECT_NE(std::string(e.what()).find("volume"), std::string::npos) << e.what();
    }
}

} // namespace
