// The wave tank's parts in the solver: wave makers, the sponge, the bed and the
// gauges. Bits first (off means today's step; on means the same bits on every
// path and thread count), then the physics they claim, then hostile input.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "sim/basin.h"
#include "sim/basin_state.h"
#include "sim/bed.h"
#include "sim/gauges.h"
#include "sim/sine.h"
#include "sim/sources.h"
#include "sim/sponge.h"
#include "simd/targets.h"
#include "sized_config.h"

namespace {

constexpr double PI = 3.14159265358979323846;

std::string firstDifference(const Basin& a, const Basin& b)
{
    const std::vector<unsigned char> x = a.dump(), y = b.dump();
    if (x.size() != y.size())
        return "sizes differ";
    for (size_t k = 0; k < x.size(); ++k)
        if (x[k] != y[k]) {
            const size_t value = k / 4, cells = a.cellCount();
            if (value >= DUMPED_FIELD_COUNT * cells)
                return "a range variable";
            const size_t cell = value % cells;
            return std::string(BASIN_FIELDS[value / cells].name) + " at (" + std::to_string(cell % a.width()) + ", " +
                   std::to_string(cell / a.width()) + ")";
        }
    return "";
}

// Every part in use: two sources, a sponge on three edges, a random bed, walls
// inside the sponge and in the open, gauges; drops to stir it.
Basin tank(int width, int height, int threads)
{
    Basin b(sized(width, height, threads));
    b.colorMode = MODE_ENERGY_PRODUCT;
    std::mt19937 random(7);
    std::uniform_real_distribution<float> elevation(-0.3f, 0.6f);
    for (float& z : b.bed)
        z = elevation(random);
    b.walls[size_t(b.cellIndex(width / 2, height / 2))] = 1;
    b.walls[size_t(b.cellIndex(1, 1))] = 1;
    b.walls[size_t(b.cellIndex(2, height - 3))] = 1;
    b.reset();
    b.addSource(pointSource(b, width / 3, height / 3, 2, 1.7, 0.02, 0.4, 1.0));
    b.addSource(lineSource(b, 2, height - 2, width - 3, height / 2, 2.3, 0.01, 0.0, 0.5));
    setSponge(b, std::min(width, height) / 5, spongeEdges("wsn"), 0.3);
    b.addGauge(width / 4, height / 2);
    b.addGauge(width - 2, 2);
    b.gaugeLog.every = 2;
    b.addDrop(width / 2 + 3, height / 2 - 2, 2, 0.05f);
    return b;
}

class TankPaths : public ::testing::TestWithParam<std::string> {
protected:
    void TearDown() override { simd::useDefaultTarget(); }
};

TEST_P(TankPaths, EveryPartInUseGivesThePortableOneThreadBitsOnEveryThreadCount)
{
    // Widths that are no multiple of any lane count, and one narrower than a block.
    for (const auto& shape : {std::pair<int, int>{61, 37}, {37, 61}, {131, 11}, {9, 21}}) {
        ASSERT_TRUE(simd::useTarget(simd::PORTABLE));
        Basin expected = tank(shape.first, shape.second, 1);
        for (int k = 0; k < 40; ++k)
            expected.step();
        ASSERT_TRUE(simd::useTarget(GetParam()));
        for (int threads : {1, 2, 3, 7}) {
            Basin b = tank(shape.first, shape.second, threads);
            for (int k = 0; k < 40; ++k)
                b.step();
            EXPECT_EQ(firstDifference(b, expected), "")
                << shape.first << " x " << shape.second << ", " << threads << " threads";
            EXPECT_EQ(b.gaugeLog.h, expected.gaugeLog.h);
            EXPECT_EQ(b.gaugeLog.steps, expected.gaugeLog.steps);
        }
    }
}

TEST_P(TankPaths, ALakeAtRestOverARandomBedStaysAtRestToTheBit)
{
    ASSERT_TRUE(simd::useTarget(GetParam()));
    for (int threads : {1, 3}) {
        Basin b(sized(67, 45, threads));
        std::mt19937 random(11);
        std::uniform_real_distribution<float> elevation(-2.0f, 0.999f);
        for (float& z : b.bed)
            z = elevation(random);
        b.walls[size_t(b.cellIndex(30, 20))] = 1;
        b.walls[size_t(b.cellIndex(1, 40))] = 1;
        b.reset();
        const Basin start = b;
        for (int k = 0; k < 300; ++k)
            b.step();
        EXPECT_EQ(b.h, start.h);
        for (float f : b.u)
            ASSERT_EQ(f, 0.0f);
        for (float f : b.v)
            ASSERT_EQ(f, 0.0f);
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, TankPaths, ::testing::ValuesIn(simd::targetNames()),
                         [](const auto& info) { return info.param; });

TEST(TankOff, PartsSetAndTakenAwayLeaveTheStepAsItWas)
{
    Basin plain(sized(50, 40));
    Basin undone(sized(50, 40));
    undone.addSource(pointSource(undone, 10, 10, 1, 1.0, 0.1, 0.0, 2.0));
    undone.sources.clear();
    setSponge(undone, 8, spongeEdges("nesw"));
    setSponge(undone, 0, spongeEdges("nesw"));
    undone.bed[size_t(undone.cellIndex(5, 5))] = 0.5f;
    undone.reset();
    undone.bed[size_t(undone.cellIndex(5, 5))] = 0.0f;
    undone.reset();
    undone.addGauge(3, 3); // gauges read; they never write
    for (Basin* b : {&plain, &undone}) {
        b->addDrop(20, 20, 3, 0.06f);
        for (int k = 0; k < 30; ++k)
            b->step();
    }
    EXPECT_FALSE(bedInUse(undone));
    EXPECT_EQ(firstDifference(plain, undone), "");
}

// ---- the sine ---------------------------------------------------------------------

TEST(Sine, FollowsTheLibrarySineAndKeepsItsSymmetries)
{
    double worst = 0.0;
    for (int k = -20000; k <= 20000; ++k) {
        const double turns = k * 0.000731 + 1e-3 * std::sin(k);
        worst = std::max(worst, std::abs(sineOfTurns(turns) - std::sin(2.0 * PI * turns)));
        // One turn later is the same angle; the reduction must not lose it.
        EXPECT_NEAR(sineOfTurns(turns + 1000.0), sineOfTurns(turns), 1e-12);
    }
    EXPECT_LT(worst, 1e-13); // the reference rounds 2 pi turns first
    EXPECT_EQ(sineOfTurns(0.0), 0.0);
    EXPECT_EQ(sineOfTurns(0.25), 1.0);
    EXPECT_EQ(sineOfTurns(0.75), -1.0);
    EXPECT_EQ(sineOfTurns(-0.25), -1.0);
    EXPECT_TRUE(std::isnan(sineOfTurns(std::numeric_limits<double>::infinity())));
}

TEST(Sine, ItsBitsArePinned)
{
    // Any processor or compiler must give these bits (the cross stage runs this).
    uint64_t hash = 14695981039346656037ull;
    for (int k = 0; k < 100000; ++k) {
        const double s = sineOfTurns(k * 0.0123456789 - 300.0);
        uint64_t bits;
        std::memcpy(&bits, &s, 8);
        // The bytes least significant first, so that the hash reads alike on a
        // big-endian processor.
        for (int byte = 0; byte < 8; ++byte) {
            hash ^= (bits >> (8 * byte)) & 0xffu;
            hash *= 1099511628211ull;
        }
    }
    EXPECT_EQ(hash, 0x4d2ee839d1e3e8cull);
}

// ---- sources ------------------------------------------------------------------------

TEST(Sources, DisplacementRampsFromZeroAndAddsNoWaterOverAPeriod)
{
    Basin b(sized(40, 40));
    const WaveSource s = pointSource(b, 20, 20, 0, 1.0, 0.05, 0.3, 2.0); // 16 steps a period
    EXPECT_EQ(sourceDisplacement(s, 0, 0.0625), 0.0);
    EXPECT_LT(std::abs(sourceDisplacement(s, 8, 0.0625)), 0.05 * 0.2); // early in the ramp
    for (int periods = 3; periods < 8; ++periods) // after the ramp: back where a period began
        EXPECT_NEAR(sourceDisplacement(s, uint64_t(16 * periods), 0.0625), 0.05 * std::sin(0.3), 1e-15);
    // A lone cell (radius 0) follows the displacement: no neighbour moves on a closed cell.
    b.walls[size_t(b.cellIndex(19, 20))] = b.walls[size_t(b.cellIndex(21, 20))] = 1;
    b.walls[size_t(b.cellIndex(20, 19))] = b.walls[size_t(b.cellIndex(20, 21))] = 1;
    b.addSource(s);
    for (int k = 1; k <= 80; ++k) {
        b.step();
        EXPECT_NEAR(b.h[size_t(b.cellIndex(20, 20))], 1.0 + sourceDisplacement(s, uint64_t(k), 0.0625), 2e-6); // h rounds to float every step
    }
}

TEST(Sources, CellsOfADiscAndOfALine)
{
    Basin b(sized(30, 20));
    EXPECT_EQ(pointSource(b, 10, 10, 0, 1, 1, 0, 0).cells.size(), 1u);
    EXPECT_EQ(pointSource(b, 10, 10, 1, 1, 1, 0, 0).cells.size(), 5u);
    EXPECT_EQ(pointSource(b, 10, 10, 2, 1, 1, 0, 0).cells.size(), 13u);
    EXPECT_EQ(pointSource(b, 1, 1, 2, 1, 1, 0, 0).cells.size(), 6u); // clipped to the water cells
    const WaveSource diagonal = lineSource(b, 2, 3, 12, 8, 1, 1, 0, 0);
    EXPECT_EQ(diagonal.cells.size(), 11u);
    EXPECT_EQ(diagonal.cells.front(), size_t(b.cellIndex(2, 3)));
    EXPECT_EQ(diagonal.cells.back(), size_t(b.cellIndex(12, 8)));
    EXPECT_EQ(lineSource(b, 5, 18, 5, 1, 1, 1, 0, 0).cells.size(), 18u);
}

// The frequency of the largest peak of a series' spectrum, searched finely.
double peakFrequency(const std::vector<double>& series, double lo, double hi)
{
    double mean = 0.0;
    for (double x : series)
        mean += x / series.size();
    double best = lo, bestPower = -1.0;
    for (double f = lo; f <= hi; f += (hi - lo) / 20000.0) {
        double re = 0.0, im = 0.0;
        for (size_t n = 0; n < series.size(); ++n) {
            // A Hann window keeps the neighbouring leakage off the peak.
            const double w = 0.5 - 0.5 * std::cos(2.0 * PI * n / (series.size() - 1));
            re += w * (series[n] - mean) * std::cos(2.0 * PI * f * n);
            im += w * (series[n] - mean) * std::sin(2.0 * PI * f * n);
        }
        if (re * re + im * im > bestPower) {
            bestPower = re * re + im * im;
            best = f;
        }
    }
    return best;
}

TEST(Sources, APointSourceOfPeriodTMakesWavesOfPeriodTAtAGauge)
{
    for (double period : {1.5, 2.75}) {
        Basin b(sized(120, 120));
        setSponge(b, 20, spongeEdges("nesw"));
        b.addSource(pointSource(b, 40, 60, 1, period, 0.01, 0.0, 2.0));
        b.addGauge(75, 70);
        b.gaugeLog.every = 1;
        for (int k = 0; k < 1600; ++k)
            b.step();
        const std::vector<double> record(b.gaugeLog.h.begin() + 400, b.gaugeLog.h.end());
        const double perStep = peakFrequency(record, 0.2 * 0.0625 / period, 3.0 * 0.0625 / period);
        const double measured = 0.0625 / perStep;
        EXPECT_NEAR(measured / period, 1.0, 0.01) << "period " << period;
        // A wave did arrive: not the noise floor.
        double top = 0.0;
        for (double x : record)
            top = std::max(top, std::abs(x - 1.0));
        EXPECT_GT(top, 1e-4);
    }
}

TEST(Sources, ASealedWallKeepsTheWaterBehindItAtRest)
{
    Basin b(sized(60, 50));
    for (int y = 0; y < 50; ++y)
        b.walls[size_t(b.cellIndex(35, y))] = 1;
    b.reset();
    b.addSource(lineSource(b, 33, 1, 33, 48, 1.3, 0.05, 0.0, 0.0)); // right in front of it
    b.addSource(pointSource(b, 20, 25, 3, 0.9, 0.05, 1.0, 1.0));
    setSponge(b, 10, spongeEdges("nesw"));
    for (int k = 0; k < 600; ++k)
        b.step();
    double moved = 0.0;
    for (int y = 1; y < 49; ++y) {
        moved = std::max(moved, std::abs(double(b.h[size_t(b.cellIndex(20, y))]) - 1.0));
        for (int x = 36; x < 60; ++x) {
            const size_t i = size_t(b.cellIndex(x, y));
            ASSERT_EQ(b.h[i], 1.0f) << x << ", " << y;
            ASSERT_EQ(b.u[i], 0.0f);
            ASSERT_EQ(b.v[i], 0.0f);
        }
    }
    EXPECT_GT(moved, 1e-3); // the sources did make waves in front
    for (int y = 0; y < 50; ++y)
        ASSERT_EQ(b.h[size_t(b.cellIndex(35, y))], 0.0f);
}

// ---- the sponge -------------------------------------------------------------------

// The scheme's own period for a wavelength in cells: the staggered update has
// sin(w dt / 2) = (c dt / dx) sin(k dx / 2), with c^2 = g H / 2 (the height
// update's factor one half).
double schemePeriod(const Basin& b, double wavelength)
{
    const double dt = b.config().timestep, dx = b.config().cellSize;
    const double courant = std::sqrt(0.5 * b.config().gravity * b.config().restHeight) * dt / dx;
    const double omega = 2.0 / dt * std::asin(courant * std::sin(PI / wavelength));
    return 2.0 * PI / omega;
}

} // namespace

// The amplitude reflected by a sponge of this width at the channel's east end, as a
// fraction of the incident one: a line source sends a plane wave along a narrow
// channel (with a sponge at the west end too) and the standing-wave ratio in
// front of the east sponge gives R = (max - min) / (max + min) of the envelope.
double spongeReflection(int width, double wavelength, double strength)
{
    const int region = std::max(60, int(wavelength * 1.5)), lead = 20;
    Basin b(sized(2 * width + 2 * lead + region + 2, 5));
    setSponge(b, width, spongeEdges("we"), strength);
    const int source = 1 + width + lead / 2, from = source + lead / 2, to = from + region;
    const double period = schemePeriod(b, wavelength);
    b.addSource(lineSource(b, source, 1, source, 3, period, 0.001, 0.0, 2.0));
    const int periodSteps = int(period / b.config().timestep) + 1;
    const int settle = int(3.0 * (b.width()) / 0.4) + 4 * periodSteps;
    for (int k = 0; k < settle; ++k)
        b.step();
    std::vector<double> top(size_t(to - from), -1e9), bottom(size_t(to - from), 1e9);
    for (int k = 0; k < 3 * periodSteps; ++k) {
        b.step();
        for (int x = from; x < to; ++x) {
            const double h = b.h[size_t(b.cellIndex(x, 2))];
            top[size_t(x - from)] = std::max(top[size_t(x - from)], h);
            bottom[size_t(x - from)] = std::min(bottom[size_t(x - from)], h);
        }
    }
    double most = 0.0, least = 1e9;
    for (size_t k = 0; k < top.size(); ++k) {
        most = std::max(most, top[k] - bottom[k]);
        least = std::min(least, top[k] - bottom[k]);
    }
    return (most - least) / (most + least);
}

namespace {

TEST(Sponge, TheDefaultFortyCellLayerReflectsAtMostThreePercent)
{
    for (double wavelength : {10.0, 20.0, 40.0}) {
        const double r = spongeReflection(40, wavelength, DEFAULT_SPONGE_STRENGTH);
        std::printf("reflection at wavelength %g: %.4f\n", wavelength, r);
        EXPECT_LE(r, 0.03) << "wavelength " << wavelength;
    }
    // A layer too thin for long waves reflects more: the measure sees reflections.
    EXPECT_GT(spongeReflection(4, 40.0, 1.0), 0.2);
}

TEST(Sponge, LeavesWallsAloneAndCoversTheChosenEdges)
{
    Basin b(sized(30, 20));
    b.walls[size_t(b.cellIndex(2, 10))] = 1;
    b.reset();
    setSponge(b, 4, spongeEdges("ws"));
    // West: columns 1..4; south: rows 1..4; the strongest next to the edge.
    for (size_t k = 0; k < b.sponge.cells.size(); ++k) {
        const int x = int(b.sponge.cells[k] % 30), y = int(b.sponge.cells[k] / 30);
        EXPECT_TRUE(x <= 4 || y <= 4) << x << ", " << y;
        EXPECT_GE(b.sponge.keep[k], 1.0f - float(DEFAULT_SPONGE_STRENGTH));
        EXPECT_LT(b.sponge.keep[k], 1.0f);
    }
    EXPECT_EQ(b.sponge.cells.size(), size_t(4 * 18 + 4 * 28 - 16));
    b.addDrop(4, 10, 3, 0.05f);
    for (int k = 0; k < 50; ++k) {
        b.step();
        ASSERT_EQ(b.h[size_t(b.cellIndex(2, 10))], 0.0f);
        ASSERT_EQ(b.u[size_t(b.cellIndex(2, 10))], 0.0f);
        ASSERT_EQ(b.u[size_t(b.cellIndex(3, 10))], 0.0f);
    }
    EXPECT_EQ(spongeEdgeLetters(spongeEdges("wens")), "nesw");
}

// ---- the bed ----------------------------------------------------------------------

TEST(Bed, ResetFillsTheColumnAndAShelfSlowsTheWave)
{
    Basin b(sized(200, 7));
    for (int y = 0; y < 7; ++y)
        for (int x = 100; x < 200; ++x)
            b.bed[size_t(b.cellIndex(x, y))] = 0.75f; // a quarter of the depth beyond x = 100
    b.reset();
    EXPECT_EQ(b.h[size_t(b.cellIndex(50, 3))], 1.0f);
    EXPECT_EQ(b.h[size_t(b.cellIndex(150, 3))], 0.25f);
    // The surface, not h, drives the flow: no step moves anything.
    b.step();
    EXPECT_EQ(b.u[size_t(b.cellIndex(100, 3))], 0.0f);
    // A pulse in the deep half reaches the shelf at the deep speed, then crosses
    // it at about half the speed (c ~ sqrt(depth)).
    b.addDrop(20, 4, 3, 0.01f);
    auto arrival = [&](int x) {
        for (int k = 0; k < 2000; ++k) {
            b.step();
            if (std::abs(b.h[size_t(b.cellIndex(x, 3))] + b.bed[size_t(b.cellIndex(x, 3))] - 1.0f) > 2e-4f)
                return k;
        }
        return -1;
    };
    const int deep = arrival(80), shallow = arrival(140);
    ASSERT_GT(deep, 0);
    ASSERT_GT(shallow, 0);
    // 60 deep cells took `deep` steps; 40 shallow ones (with 20 deep) take about twice as long per cell.
    const double deepRate = 60.0 / deep, shallowRate = 40.0 / (shallow - 20.0 / deepRate);
    EXPECT_NEAR(shallowRate / deepRate, 0.5, 0.1);
}

TEST(Bed, ABedAtTheRestLevelOrNaNIsRefusedNamingTheCell)
{
    for (float bad : {1.0f, 1.5f, std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}) {
        Basin b(sized(20, 15));
        b.addDrop(10, 7, 2, 0.05f);
        b.step();
        const Basin before = b;
        b.bed[size_t(b.cellIndex(6, 9))] = bad;
        try {
            b.step();
            ADD_FAILURE() << "bed " << bad << " accepted";
        } catch (const std::invalid_argument& e) {
            EXPECT_NE(std::string(e.what()).find("(6, 9)"), std::string::npos) << e.what();
        }
        EXPECT_THROW(b.reset(), std::invalid_argument);
        EXPECT_EQ(firstDifference(b, before), "");
        // Under a wall the bed is land and may be anything.
        b.walls[size_t(b.cellIndex(6, 9))] = 1;
        EXPECT_NO_THROW(b.step());
    }
}

// ---- saved state ------------------------------------------------------------------

TEST(TankState, ASavedTankStepsOnToTheOriginalsBitsWithItsClocksAndLog)
{
    Basin b = tank(61, 37, 1);
    for (int k = 0; k < 30; ++k)
        b.step();
    const std::vector<unsigned char> bytes = saveBasinState(b);
    Basin back = restoreBasinState(bytes.data(), bytes.size());
    EXPECT_EQ(back.steps, b.steps);
    EXPECT_EQ(back.gaugeLog.h, b.gaugeLog.h);
    EXPECT_EQ(back.sponge.keep, b.sponge.keep);
    ASSERT_EQ(back.sources.size(), 2u);
    EXPECT_EQ(back.sources[1].cells, b.sources[1].cells);
    for (int k = 0; k < 30; ++k) {
        b.step();
        back.step();
    }
    EXPECT_EQ(firstDifference(back, b), "");
    EXPECT_EQ(back.gaugeLog.h, b.gaugeLog.h);
    // Without the tank's parts the bytes are those of a plain basin.
    Basin plain(sized(20, 10));
    EXPECT_EQ(saveBasinState(plain).size(), saveBasinState(Basin(sized(20, 10))).size());
    plain.addGauge(3, 3);
    EXPECT_GT(saveBasinState(plain).size(), saveBasinState(Basin(sized(20, 10))).size());
}

TEST(TankState, BrokenTankSectionsAreRefused)
{
    Basin b = tank(40, 30, 1);
    b.step();
    const std::vector<unsigned char> good = saveBasinState(b);
    // The last section is the step count's (4 + 8 + 8 bytes): every cut into it
    // is refused, never read past.
    for (size_t cut = good.size() - 19; cut < good.size(); ++cut)
        EXPECT_THROW(restoreBasinState(good.data(), cut), BasinStateError) << cut;
    // A source's period turned into a NaN: after the tag and the length, the
    // count, the kind and five places.
    std::vector<unsigned char> bad = good;
    const unsigned char tag[4] = {'S', 'R', 'C', 'S'};
    const auto at = std::search(bad.begin(), bad.end(), tag, tag + 4) - bad.begin();
    ASSERT_LT(size_t(at), bad.size());
    const size_t period = size_t(at) + 4 + 8 + 4 + 4 + 4 * 5;
    // The saved state is little-endian whatever the processor.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    uint64_t nanBits;
    std::memcpy(&nanBits, &nan, 8);
    for (int byte = 0; byte < 8; ++byte)
        bad[period + size_t(byte)] = static_cast<unsigned char>(nanBits >> (8 * byte));
    try {
        restoreBasinState(bad.data(), bad.size());
        ADD_FAILURE() << "a NaN period was accepted";
    } catch (const BasinStateError& e) {
        EXPECT_NE(std::string(e.what()).find("period"), std::string::npos) << e.what();
    }
}

// ---- gauges and hostile input -------------------------------------------------------

TEST(Gauges, RecordEveryKthStepWhatTheStepLeft)
{
    Basin b(sized(40, 30)), watched(sized(40, 30));
    b.addGauge(10, 10);
    b.addGauge(30, 20);
    b.gaugeLog.every = 3;
    for (Basin* x : {&b, &watched}) {
        x->addDrop(15, 12, 3, 0.05f);
        x->addSource(pointSource(*x, 25, 15, 1, 1.1, 0.01, 0.0, 1.0));
    }
    std::vector<float> expected;
    for (int k = 1; k <= 20; ++k) {
        b.step();
        watched.step();
        if (k % 3 == 0) {
            expected.push_back(watched.h[size_t(watched.cellIndex(10, 10))]);
            expected.push_back(watched.h[size_t(watched.cellIndex(30, 20))]);
        }
    }
    EXPECT_EQ(b.gaugeLog.h, expected);
    EXPECT_EQ(b.gaugeLog.steps, (std::vector<uint64_t>{3, 6, 9, 12, 15, 18}));
    b.reset();
    EXPECT_TRUE(b.gaugeLog.h.empty());
    EXPECT_EQ(b.steps, 0u);
}

TEST(Hostile, EachBadSettingIsRefusedWithAMessage)
{
    Basin b(sized(30, 20));
    b.walls[size_t(b.cellIndex(5, 5))] = 1;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_THROW(pointSource(b, 0, 10, 1, 1, 1, 0, 2), std::invalid_argument);
    EXPECT_THROW(pointSource(b, 10, 19, 1, 1, 1, 0, 2), std::invalid_argument);
    EXPECT_THROW(pointSource(b, -5, 10, 1, 1, 1, 0, 2), std::invalid_argument);
    EXPECT_THROW(pointSource(b, 10, 10, -1, 1, 1, 0, 2), std::invalid_argument);
    EXPECT_THROW(lineSource(b, 1, 1, 40, 1, 1, 1, 0, 2), std::invalid_argument);
    for (double period : {nan, 0.0, -1.0, std::numeric_limits<double>::infinity()})
        EXPECT_THROW(pointSource(b, 10, 10, 1, period, 1, 0, 2), std::invalid_argument) << period;
    EXPECT_THROW(pointSource(b, 10, 10, 1, 1, nan, 0, 2), std::invalid_argument);
    EXPECT_THROW(pointSource(b, 10, 10, 1, 1, 1, nan, 2), std::invalid_argument);
    EXPECT_THROW(pointSource(b, 10, 10, 1, 1, 1, 0, -1), std::invalid_argument);
    EXPECT_THROW(setSponge(b, -1, SPONGE_WEST), std::invalid_argument);
    EXPECT_THROW(setSponge(b, 10, SPONGE_SOUTH), std::invalid_argument); // more than half of 18
    EXPECT_NO_THROW(setSponge(b, 10, SPONGE_WEST));
    EXPECT_THROW(setSponge(b, 4, SPONGE_WEST, 0.0), std::invalid_argument);
    EXPECT_THROW(setSponge(b, 4, SPONGE_WEST, nan), std::invalid_argument);
    for (const char* edges : {"", "x", "nn", "N"})
        EXPECT_THROW(spongeEdges(edges), std::invalid_argument) << edges;
    EXPECT_THROW(b.addGauge(5, 5), std::invalid_argument);
    EXPECT_THROW(b.addGauge(30, 5), std::invalid_argument);
    EXPECT_THROW(b.addGauge(3, -1), std::invalid_argument);
    try {
        b.addGauge(5, 5);
    } catch (const std::invalid_argument& e) {
        EXPECT_NE(std::string(e.what()).find("wall"), std::string::npos);
    }
    EXPECT_TRUE(b.gauges.empty());
}

} // namespace
