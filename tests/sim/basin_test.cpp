// Basins as values: any size and configuration, every target and thread count
// against the portable loops on one thread, independence, refused configurations
// and the drop generator.

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include <unistd.h>

#include "support/program_names.h"
#include "sim/basin.h"
#include "sim/height_update.h"
#include "sim/walls.h"
#include "simd/targets.h"

namespace {

struct Shape {
    int width, height;
    bool walls;
};

std::string shapeName(const Shape& s)
{
    return std::to_string(s.width) + "x" + std::to_string(s.height) + (s.walls ? "Walls" : "");
}

// A wall across the basin with a slit, and an island, where the basin is big enough.
void buildWalls(Basin& b)
{
    const int x = b.width() / 2, y = b.height() / 2;
    fillWalls(b, x, 0, x, b.height() - 1);
    fillWalls(b, x, y - 1, x, y + 1, false);
    fillWalls(b, b.width() / 4, b.height() / 4, b.width() / 4 + 1, b.height() / 4);
    b.reset();
}

// Waves everywhere: drops spread over the basin and a few hand-set velocities.
Basin busyBasin(const Shape& s, int mode, int threads = 1)
{
    BasinConfig config;
    config.width = s.width;
    config.height = s.height;
    config.threads = threads;
    Basin b(config);
    if (s.walls)
        buildWalls(b);
    b.colorMode = mode;
    b.generator.seed(11);
    const int drops = 3 + int(b.cellCount() / 20000);
    for (int k = 0; k < drops; ++k)
        b.randomDrop();
    b.u[size_t(b.cellIndex(b.width() / 3, b.height() / 2))] = 0.7f;
    b.v[size_t(b.cellIndex(b.width() / 2, b.height() / 3))] = -0.9f;
    return b;
}

std::vector<unsigned char> dumpAfter(Basin b, int steps)
{
    for (int k = 0; k < steps; ++k)
        b.step();
    return b.dump();
}

// Every mode on small basins; the large one in the two modes with the most work.
std::vector<int> modesFor(const Shape& s)
{
    if (size_t(s.width) * size_t(s.height) > 200000)
        return {MODE_PLAIN, MODE_ENERGY_PRODUCT};
    return {0, 1, 2, 3, 4, 5, 6};
}

// "" where the dumps agree, else which float of the dump first differs, as field and cell.
std::string difference(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b, const Basin& basin)
{
    if (a == b)
        return "";
    size_t k = 0;
    while (k < a.size() && k < b.size() && a[k] == b[k])
        ++k;
    const size_t value = k / 4, cells = basin.cellCount();
    if (value >= DUMPED_FIELD_COUNT * cells)
        return "range variable " + rangeVariables()[value - DUMPED_FIELD_COUNT * cells].name;
    const size_t cell = value % cells;
    return std::string(BASIN_FIELDS[value / cells].name) + " at (" + std::to_string(cell % size_t(basin.width())) +
           ", " + std::to_string(cell / size_t(basin.width())) + ")";
}

int stepsFor(const Shape& s) { return size_t(s.width) * size_t(s.height) > 200000 ? 3 : 25; }

const Shape SHAPES[] = {{3, 3, false},    {161, 97, false},  {161, 97, true},  {1000, 7, false}, {1000, 7, true},
                        {7, 1000, false}, {7, 1000, true},   {33, 35, true},   {48, 5, false},   {1024, 1024, false},
                        {1024, 1024, true}};

class TargetAgainstPortable : public ::testing::TestWithParam<std::tuple<Shape, std::string>> {
protected:
    void TearDown() override { simd::useDefaultTarget(); }
};

TEST_P(TargetAgainstPortable, SameBitsInEveryMode)
{
    const Shape shape = std::get<0>(GetParam());
    for (int mode : modesFor(shape)) {
        ASSERT_TRUE(simd::useTarget(simd::PORTABLE));
        const std::vector<unsigned char> expected = dumpAfter(busyBasin(shape, mode), stepsFor(shape));
        ASSERT_TRUE(simd::useTarget(std::get<1>(GetParam())));
        const Basin basin = busyBasin(shape, mode);
        EXPECT_EQ(difference(dumpAfter(basin, stepsFor(shape)), expected, basin), "") << "mode " << mode;
    }
}

std::vector<std::string> vectorTargets()
{
    std::vector<std::string> names;
    for (const std::string& name : simd::targetNames())
        if (name != simd::PORTABLE)
            names.push_back(name);
    return names;
}

INSTANTIATE_TEST_SUITE_P(Shapes, TargetAgainstPortable,
                         ::testing::Combine(::testing::ValuesIn(SHAPES), ::testing::ValuesIn(vectorTargets())),
                         [](const auto& info) {
                             return shapeName(std::get<0>(info.param)) + "_" + std::get<1>(info.param);
                         });

// ---- thread counts ----------------------------------------------------------------

// Heights with zeros of both signs (the first zero in x-outer order is +0, the one
// a band or lane fold might meet first is -0), and hostile values elsewhere.
void seedHostileValues(Basin& b, bool nonFinite)
{
    const auto at = [&](int x, int y) { return size_t(b.cellIndex(x, y)); };
    b.h[at(3, std::min(9, b.height() - 2))] = 0.0f;
    b.h[at(5, 2)] = -0.0f;
    b.h[at(b.width() - 3, b.height() - 3)] = -0.0f;
    b.heightChange[at(4, 4)] = -0.0f;
    if (nonFinite) {
        const float inf = std::numeric_limits<float>::infinity();
        b.u[at(b.width() - 4, 4)] = std::numeric_limits<float>::quiet_NaN();
        b.v[at(6, b.height() - 4)] = inf;
        b.u[at(8, b.height() / 2)] = -inf;
        b.h[at(b.width() / 2 + 3, b.height() - 5)] = std::numeric_limits<float>::denorm_min();
    }
}

class ThreadCounts : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override { ASSERT_TRUE(simd::useTarget(GetParam())); }
    void TearDown() override { simd::useDefaultTarget(); }
};

TEST_P(ThreadCounts, EveryCountGivesTheOneThreadBits)
{
    // Small basins: the bands, not the size, are under test.
    for (const Shape& shape : {Shape{61, 37, true}, Shape{40, 23, false}, Shape{300, 7, true}}) {
        for (int mode = 0; mode < MODE_COUNT; ++mode) {
            for (bool nonFinite : {false, true}) {
                Basin one = busyBasin(shape, mode, 1);
                seedHostileValues(one, nonFinite);
                const std::vector<unsigned char> expected = dumpAfter(one, 6);
                for (int threads : {2, 3, 7}) {
                    Basin many = busyBasin(shape, mode, threads);
                    seedHostileValues(many, nonFinite);
                    ASSERT_EQ(many.threads(), threads);
                    EXPECT_EQ(difference(dumpAfter(many, 6), expected, many), "")
                        << shapeName(shape) << " mode " << mode << " threads " << threads
                        << (nonFinite ? " with NaN and infinities" : "");
                }
            }
        }
    }
}

TEST_P(ThreadCounts, AZeroHeightMinimumKeepsTheSignTheOneThreadOrderGives)
{
    // The height update alone: a whole step's advection would turn a planted -0
    // into +0 before the range is taken. Only zeros and positive heights, so
    // hMin ends at a zero whose sign the cell order decides. -0 at (3, 2) stays
    // -0 under an inflow through its right face; +0 at (11, 1) and (19, 1) comes
    // first row by row, -0 first column by column, as one pass runs.
    for (int threads : {1, 2, 3, 7}) {
        BasinConfig config;
        config.width = 40;
        config.height = 30;
        config.threads = threads;
        Basin b(config);
        b.colorMode = MODE_H;
        b.h[size_t(b.cellIndex(3, 2))] = -0.0f;
        b.u[size_t(b.cellIndex(4, 2))] = -1.0f;
        b.h[size_t(b.cellIndex(11, 1))] = 0.0f;
        b.h[size_t(b.cellIndex(19, 1))] = 0.0f;
        updateHeight(b);
        ASSERT_EQ(b.h[size_t(b.cellIndex(3, 2))], 0.0f);
        ASSERT_TRUE(std::signbit(b.h[size_t(b.cellIndex(3, 2))])) << "the planted -0 must survive the update";
        EXPECT_EQ(b.ranges[MODE_H].min, 0.0f);
        EXPECT_TRUE(std::signbit(b.ranges[MODE_H].min)) << threads << " threads";
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, ThreadCounts, ::testing::ValuesIn(simd::targetNames()),
                         [](const auto& info) { return info.param; });

// ---- independence -----------------------------------------------------------------

TEST(Basins, TwoBasinsSteppedInTwoThreadsAtOnceGiveTheBitsEachGivesAlone)
{
    const Basin a = busyBasin({161, 97, true}, MODE_ENERGY_PRODUCT), b = busyBasin({200, 150, false}, MODE_H);
    const std::vector<unsigned char> aloneA = dumpAfter(a, 60), aloneB = dumpAfter(b, 60);
    Basin togetherA = a, togetherB = b;
    std::thread other([&] {
        for (int k = 0; k < 60; ++k)
            togetherB.step();
    });
    for (int k = 0; k < 60; ++k)
        togetherA.step();
    other.join();
    EXPECT_TRUE(togetherA.dump() == aloneA);
    EXPECT_TRUE(togetherB.dump() == aloneB);
}

TEST(Basins, TheDefaultBasinIsTheProgramsBasin)
{
    startSimulation();
    basin.generator.seed(5);
    Basin own;
    own.generator.seed(5);
    for (int k = 0; k < 4; ++k) {
        basin.randomDrop();
        own.randomDrop();
        for (int s = 0; s < 30; ++s) {
            basin.step();
            own.step();
        }
    }
    EXPECT_EQ(own.stateHash(), basin.stateHash());
    EXPECT_EQ(own.dumpBytes(), size_t(819272));
}

TEST(Basins, DumpsOtherSizesInTheSameLayout)
{
    BasinConfig config;
    config.width = 5;
    config.height = 4;
    config.restHeight = 2.0f;
    Basin b(config);
    b.u[size_t(b.cellIndex(4, 3))] = 0.25f;
    const std::vector<unsigned char> bytes = b.dump();
    ASSERT_EQ(bytes.size(), (8 * 20 + 18) * 4u);
    const auto floatAt = [&](size_t k) { // little-endian on every machine
        const uint32_t bits = uint32_t(bytes[4 * k]) | uint32_t(bytes[4 * k + 1]) << 8 |
                              uint32_t(bytes[4 * k + 2]) << 16 | uint32_t(bytes[4 * k + 3]) << 24;
        float f;
        std::memcpy(&f, &bits, 4);
        return f;
    };
    EXPECT_EQ(floatAt(0), 2.0f);        // h(0, 0): the rest height
    EXPECT_EQ(floatAt(20 + 19), 0.25f); // u(4, 3), after the 20 heights
    EXPECT_EQ(floatAt(8 * 20), 2.0f);   // hMax starts at the rest height
}

// ---- configuration ----------------------------------------------------------------

void expectRefused(BasinConfig config, const std::string& words)
{
    try {
        Basin b(config);
        ADD_FAILURE() << "accepted: " << words;
    } catch (const std::invalid_argument& e) {
        EXPECT_NE(std::string(e.what()).find(words), std::string::npos) << e.what();
    } catch (const std::length_error& e) {
        EXPECT_NE(std::string(e.what()).find(words), std::string::npos) << e.what();
    }
}

TEST(BasinConfiguration, RefusesWhatCannotBeABasin)
{
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    BasinConfig c;
    c.width = 2;
    expectRefused(c, "width must be at least 3");
    c = {};
    c.height = -5;
    expectRefused(c, "height must be at least 3");
    c = {};
    c.cellSize = nan;
    expectRefused(c, "cell size");
    c = {};
    c.timestep = inf;
    expectRefused(c, "time step");
    c = {};
    c.gravity = -10.0;
    expectRefused(c, "gravity");
    c = {};
    c.restHeight = 0.0f;
    expectRefused(c, "rest height");
    c = {};
    c.threads = -1;
    expectRefused(c, "threads");
    // More cells than an int counts, and more bytes than this machine has: refused
    // before anything is allocated (the allocation itself would throw bad_alloc).
    c = {};
    c.width = c.height = 65536;
    expectRefused(c, "too many cells");
    // The cells fit in an int, the row past the last (which the kernels' indices
    // reach) does not.
    c.width = 46341;
    c.height = 46340;
    ASSERT_LE(uint64_t(c.width) * uint64_t(c.height), uint64_t(INT_MAX));
    expectRefused(c, "too many cells");
    c.width = 3;
    c.height = (INT_MAX - 3) / 3;
    try {
        checkBasinConfig(c);
    } catch (const std::length_error& e) {
        EXPECT_EQ(std::string(e.what()).find("too many cells"), std::string::npos)
            << "the largest count with its extra row still counts: " << e.what();
    }
    c.width = c.height = 46340;
    if (basinBytes(c.width, c.height) > uint64_t(sysconf(_SC_PHYS_PAGES)) * uint64_t(sysconf(_SC_PAGE_SIZE)))
        expectRefused(c, "more than this machine's memory");
}

TEST(BasinConfiguration, ScalesTheSeedsNumbersToTheBasin)
{
    BasinConfig c;
    c.width = 1000;
    c.height = 7;
    c.restHeight = 2.0f;
    Basin b(c);
    EXPECT_EQ(b.ranges[MODE_H].max, 2.0f);
    EXPECT_EQ(b.h[500], 2.0f);
    // The cap is 1.1 times the rest height.
    b.addDrop(10, 3, 2, 5.0f);
    EXPECT_EQ(b.h[size_t(b.cellIndex(10, 3))], float(2.0 * 1.1));
    // Random drops land anywhere along the channel, with the smallest radius (5 %
    // of 7 cells truncates to 0).
    b.reset();
    b.generator.seed(3);
    int farthest = 0;
    for (int k = 0; k < 50; ++k) {
        b.reset();
        b.randomDrop();
        int raised = 0;
        for (int x = 0; x < b.width(); ++x)
            for (int y = 0; y < b.height(); ++y)
                if (b.h[size_t(b.cellIndex(x, y))] != 2.0f) {
                    ++raised;
                    farthest = std::max(farthest, x);
                }
        EXPECT_LE(raised, 4);
        EXPECT_GE(raised, 1);
    }
    EXPECT_GT(farthest, 500);
}

// ---- the drop generator -----------------------------------------------------------

#ifdef __GLIBC__
TEST(DropGenerator, DrawsWhatTheCLibrarysRandDraws)
{
    for (uint32_t seed : {0u, 1u, 2u, 12345u, 2147483647u, 2147483648u, 4294967295u}) {
        std::srand(seed);
        DropGenerator g(seed);
        for (int k = 0; k < 2000; ++k)
            ASSERT_EQ(int(g.next()), std::rand()) << "seed " << seed << " draw " << k;
    }
}
#endif

TEST(DropGenerator, EachBasinDrawsFromItsOwn)
{
    Basin a, b;
    a.generator.seed(9);
    b.generator.seed(9);
    a.randomDrop();
    a.randomDrop(); // a draws ahead; b's draws must not move
    b.randomDrop();
    Basin c;
    c.generator.seed(9);
    c.randomDrop();
    EXPECT_EQ(b.stateHash(), c.stateHash());
    EXPECT_NE(a.stateHash(), b.stateHash());
}

} // namespace
