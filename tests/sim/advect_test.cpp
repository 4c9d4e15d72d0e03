#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <stdexcept>
#include <unistd.h>

#include "sim/advect.h"
#include "sim_fixture.h"

namespace {

const float NaN = std::numeric_limits<float>::quiet_NaN();
const float INF = std::numeric_limits<float>::infinity();

// A field whose cells all differ, with no zeros.
void pattern(Field& f, float scale)
{
    for (int i = 0; i < CELL_COUNT; ++i)
        f[i] = scale * float(1 + (i * 37) % 101);
}

bool onBorder(int x, int y) { return x == 0 || y == 0 || x == GRID_SIZE - 1 || y == GRID_SIZE - 1; }

// --- sampleBilinear and the clamp -------------------------------------------

TEST_F(SimTest, BilinearWeightsFollowTheirAxes)
{
    h[cellIndex(10, 20)] = 1.0f;
    h[cellIndex(11, 20)] = 2.0f;
    h[cellIndex(10, 21)] = 4.0f;
    h[cellIndex(11, 21)] = 8.0f;
    // fx = 0.25 along columns, fy = 0.5 along rows.
    EXPECT_EQ(sampleBilinear(h, 10.25f, 20.5f), 3.125f);
    EXPECT_EQ(sampleBilinear(h, 10.5f, 20.25f), 2.625f);
    EXPECT_EQ(sampleBilinear(h, 11.0f, 21.0f), 8.0f);
}

TEST_F(SimTest, BilinearAtTheLastColumnAndRowReadsNothingBeyond)
{
    // Poison every cell just past column 159 in memory order, and the top row.
    for (int y = 0; y < GRID_SIZE; ++y) {
        h[cellIndex(GRID_SIZE - 1, y)] = float(y);
        if (y + 1 < GRID_SIZE)
            h[cellIndex(0, y + 1)] = NaN;
    }
    EXPECT_EQ(sampleBilinear(h, 159.0f, 10.5f), 10.5f);
    EXPECT_EQ(sampleBilinear(h, 159.0f, 159.0f), 159.0f);
    h[cellIndex(42, 159)] = 6.0f;
    h[cellIndex(43, 159)] = 10.0f;
    EXPECT_EQ(sampleBilinear(h, 42.25f, 159.0f), 7.0f);
}

TEST(ClampToGrid, KeepsEveryCoordinateInsideTheGrid)
{
    EXPECT_EQ(clampToGrid(12.25f), 12.25f);
    EXPECT_EQ(clampToGrid(-0.5f), 0.0f);
    EXPECT_EQ(clampToGrid(159.5f), 159.0f);
    EXPECT_EQ(clampToGrid(-INF), 0.0f);
    EXPECT_EQ(clampToGrid(INF), 159.0f);
    EXPECT_EQ(clampToGrid(NaN), 0.0f);
    EXPECT_FALSE(std::signbit(clampToGrid(NaN)));
}

// --- advect on both solver paths --------------------------------------------

class AdvectTest : public SolverPathTest {};
RIPPLEMOOR_ALL_PATHS(AdvectTest);

TEST_P(AdvectTest, AtRestEveryFieldComesOutUnchanged)
{
    pattern(h, 0.01f);
    const Field before = h;
    advect(h, 0);
    advect(u, 1);
    advect(v, 2);
    EXPECT_EQ(h, before);
    for (int i = 0; i < CELL_COUNT; ++i)
        ASSERT_TRUE(u[i] == 0.0f && v[i] == 0.0f) << i;
}

TEST_P(AdvectTest, UniformFlowBlendsTheUpstreamCell)
{
    fill(u, 1.0f);
    for (int y = 0; y < GRID_SIZE; ++y)
        for (int x = 0; x < GRID_SIZE; ++x)
            h[cellIndex(x, y)] = x < 100 ? 1.0f : 2.0f;
    advect(h, 0);
    for (int y = 1; y < GRID_SIZE - 1; ++y) {
        // px = 99.8000030517578125: 0.8000030517578125 of cell 100, the rest of cell 99.
        ASSERT_EQ(h[cellIndex(100, y)], 1.8000030517578125f) << y;
        ASSERT_EQ(h[cellIndex(99, y)], 1.0f) << y;
        ASSERT_EQ(h[cellIndex(101, y)], 2.0f) << y;
    }
}

TEST_P(AdvectTest, UniformFlowAlongRowsShiftsTheRowCoordinate)
{
    fill(v, -1.0f);
    for (int y = 0; y < GRID_SIZE; ++y)
        for (int x = 0; x < GRID_SIZE; ++x)
            h[cellIndex(x, y)] = y > 50 ? 2.0f : 1.0f;
    advect(h, 0);
    // py = 50.2000007629394531: a fifth (nearly) of row 51.
    const double fy = double(50.2f) - 50.0;
    const float expected = float(fy * 2.0 + float(1.0 - fy) * 1.0);
    for (int x = 1; x < GRID_SIZE - 1; ++x)
        ASSERT_EQ(h[cellIndex(x, 50)], expected) << x;
    EXPECT_NEAR(expected, 1.2, 1e-6);
}

// One cell per step, the edge between the kernel's nearby selects and its gathers:
// every departure point lands exactly on the neighbouring cell's corner (fraction
// 0), the left one for a positive velocity and the right one for a negative, and
// every kind's velocity average of a uniform flow is that flow.
TEST_P(AdvectTest, OneCellPerStepShiftsEveryKindByExactlyOneCell)
{
    const float oneCell = float(1.0 / (double(TIMESTEP) * invCellSize));
    ASSERT_EQ(float(100 - double(TIMESTEP) * oneCell * invCellSize), 99.0f);
    ASSERT_EQ(float(100 + double(TIMESTEP) * oneCell * invCellSize), 101.0f);
    for (int kind : {ADVECT_H, ADVECT_U, ADVECT_V}) {
        for (const bool alongRows : {true, false}) {
            for (const float sign : {1.0f, -1.0f}) {
                SimTest::restartSimulation();
                fill(alongRows ? u : v, sign * oneCell);
                pattern(h, 0.01f);
                const Field before = h;
                advect(h, kind);
                const int step = int(sign);
                for (int x = 1; x < GRID_SIZE - 1; ++x) {
                    for (int y = 1; y < GRID_SIZE - 1; ++y) {
                        const int from = alongRows ? cellIndex(x - step, y) : cellIndex(x, y - step);
                        ASSERT_EQ(h[cellIndex(x, y)], before[from])
                            << "kind " << kind << (alongRows ? " along rows" : " along columns") << " sign "
                            << sign << " at " << x << ", " << y;
                    }
                }
            }
        }
    }
}

// Which faces feed each kind's velocity average: a single non-zero face moves
// exactly the cells whose average contains it.
TEST_P(AdvectTest, EachKindAveragesItsOwnNeighbourFaces)
{
    const int x0 = 60, y0 = 70;
    struct Case {
        int kind;
        Field* field;
        Field* face;
        int fx, fy;
        std::vector<std::pair<int, int>> moved;
    };
    const Case cases[] = {
        {0, &h, &u, x0, y0, {{x0 - 1, y0}, {x0, y0}}},
        {0, &h, &v, x0, y0, {{x0, y0 - 1}, {x0, y0}}},
        {1, &u, &v, x0 + 1, y0, {{x0, y0 - 1}, {x0, y0}, {x0 + 1, y0 - 1}, {x0 + 1, y0}}},
        {2, &v, &u, x0, y0 + 1, {{x0 - 1, y0}, {x0, y0}, {x0 - 1, y0 + 1}, {x0, y0 + 1}}},
    };
    for (const Case& c : cases) {
        SimTest::restartSimulation();
        // A field that varies along both axes, so any moved departure changes it;
        // for kinds 1 and 2 it is also the velocity along its own axis.
        for (int y = 0; y < GRID_SIZE; ++y)
            for (int x = 0; x < GRID_SIZE; ++x)
                (*c.field)[cellIndex(x, y)] = 0.001f * float(x) + 0.01f * float(y);
        (*c.face)[cellIndex(c.fx, c.fy)] = 40.0f;
        Field* other = c.field;
        const Field before = *c.field;
        // Reference: the same field advected without the face.
        (*c.face)[cellIndex(c.fx, c.fy)] = 0.0f;
        advect(*other, c.kind);
        const Field without = *other;
        *other = before;
        (*c.face)[cellIndex(c.fx, c.fy)] = 40.0f;
        advect(*other, c.kind);
        int moved = 0;
        for (int i = 0; i < CELL_COUNT; ++i)
            if (!sameBits((*other)[i], without[i]))
                ++moved;
        EXPECT_EQ(moved, int(c.moved.size())) << "kind " << c.kind;
        for (const auto& cell : c.moved)
            EXPECT_NE((*other)[cellIndex(cell.first, cell.second)], without[cellIndex(cell.first, cell.second)])
                << "kind " << c.kind << " cell " << cell.first << "," << cell.second;
    }
}

TEST_P(AdvectTest, BordersAreNeverChanged)
{
    pattern(h, 0.02f);
    pattern(u, 0.5f);
    pattern(v, -0.25f);
    for (int kind = 0; kind < 3; ++kind) {
        Field& f = kind == 0 ? h : kind == 1 ? u : v;
        const Field before = f;
        advect(f, kind);
        for (int y = 0; y < GRID_SIZE; ++y)
            for (int x = 0; x < GRID_SIZE; ++x) {
                if (onBorder(x, y)) {
                    ASSERT_TRUE(sameBits(f[cellIndex(x, y)], before[cellIndex(x, y)])) << kind << " " << x << "," << y;
                }
            }
    }
}

TEST_P(AdvectTest, WallFacesThatAreZeroStayZero)
{
    pattern(u, 0.3f);
    pattern(v, 0.2f);
    for (int k = 0; k < GRID_SIZE; ++k) {
        u[cellIndex(1, k)] = 0.0f;
        v[cellIndex(k, 1)] = 0.0f;
    }
    advect(u, 1);
    advect(v, 2);
    for (int k = 0; k < GRID_SIZE; ++k) {
        ASSERT_EQ(u[cellIndex(1, k)], 0.0f) << k;
        ASSERT_EQ(v[cellIndex(k, 1)], 0.0f) << k;
    }
}

TEST_P(AdvectTest, DeparturesOutsideTheGridSampleTheEdge)
{
    for (int y = 0; y < GRID_SIZE; ++y) {
        h[cellIndex(0, y)] = 7.0f;
        h[cellIndex(GRID_SIZE - 1, y)] = 9.0f;
    }
    for (int x = 0; x < GRID_SIZE; ++x) {
        h[cellIndex(x, 0)] = 3.0f;
        h[cellIndex(x, GRID_SIZE - 1)] = 5.0f;
    }
    // kind 0 averages u[x+1] and u[x]: set both faces of each probed cell.
    auto pushCell = [](int x, int y, float vx, float vy) {
        u[cellIndex(x, y)] = u[cellIndex(x + 1, y)] = vx;
        v[cellIndex(x, y)] = v[cellIndex(x, y + 1)] = vy;
    };
    pushCell(20, 30, 1000.0f, 0.0f);   // far right flow: departure before column 0
    pushCell(90, 30, -1000.0f, 0.0f);  // departure past column 159
    pushCell(40, 60, 0.0f, 1000.0f);   // before row 0
    pushCell(40, 100, 0.0f, -1000.0f); // past row 159
    pushCell(150, 150, -1000.0f, -1000.0f);
    advect(h, 0);
    EXPECT_EQ(h[cellIndex(20, 30)], 7.0f);
    EXPECT_EQ(h[cellIndex(90, 30)], 9.0f);
    EXPECT_EQ(h[cellIndex(40, 60)], 3.0f);
    EXPECT_EQ(h[cellIndex(40, 100)], 5.0f);
    EXPECT_EQ(h[cellIndex(150, 150)], 5.0f); // the corner cell (159, 159)
}

TEST_P(AdvectTest, NonFiniteVelocitiesStayInsideTheGrid)
{
    for (int y = 0; y < GRID_SIZE; ++y) {
        h[cellIndex(0, y)] = 7.0f;
        h[cellIndex(GRID_SIZE - 1, y)] = 9.0f;
    }
    for (int x = 0; x < GRID_SIZE; ++x) {
        h[cellIndex(x, 0)] = 3.0f;
        h[cellIndex(x, GRID_SIZE - 1)] = 5.0f;
    }
    h[cellIndex(0, 0)] = 11.0f;
    u[cellIndex(10, 10)] = u[cellIndex(11, 10)] = NaN;  // NaN departure column -> 0
    u[cellIndex(30, 10)] = u[cellIndex(31, 10)] = INF;  // -inf -> 0
    u[cellIndex(50, 10)] = u[cellIndex(51, 10)] = -INF; // +inf -> 159
    v[cellIndex(70, 10)] = v[cellIndex(70, 11)] = NaN;  // NaN departure row -> 0
    u[cellIndex(90, 90)] = u[cellIndex(91, 90)] = NaN;
    v[cellIndex(90, 90)] = v[cellIndex(90, 91)] = NaN;
    advect(h, 0);
    EXPECT_EQ(h[cellIndex(10, 10)], 7.0f);
    EXPECT_EQ(h[cellIndex(30, 10)], 7.0f);
    EXPECT_EQ(h[cellIndex(50, 10)], 9.0f);
    EXPECT_EQ(h[cellIndex(70, 10)], 3.0f);
    EXPECT_EQ(h[cellIndex(90, 90)], 11.0f);

    // Non-finite values everywhere: the velocity kinds too must neither crash nor
    // read outside the grid (the sanitizer build checks the portable path), and
    // every path must agree with the portable loops. A NaN's sign is not yet the
    // same on every path, so NaNs only have to be NaNs.
    for (int i = 0; i < CELL_COUNT; ++i) {
        const float choices[] = {NaN, INF, -INF, 1e30f, -1e30f, 0.5f};
        u[i] = choices[i % 6];
        v[i] = choices[(i / 7) % 6];
    }
    const Field h0 = h, u0 = u, v0 = v;
    advect(h, 0);
    advect(u, 1);
    advect(v, 2);
    // h itself is finite, so each departure samples a blend of its values.
    for (int i = 0; i < CELL_COUNT; ++i)
        ASSERT_TRUE(h[i] >= 1.0f && h[i] <= 11.0f) << i << ": " << h[i];
    const Field hOut = h, uOut = u, vOut = v;
    h = h0;
    u = u0;
    v = v0;
    ASSERT_TRUE(simd::useTarget(simd::PORTABLE));
    advect(h, 0);
    advect(u, 1);
    advect(v, 2);
    const auto same = [](float a, float b) { return sameBits(a, b) || (std::isnan(a) && std::isnan(b)); };
    for (int i = 0; i < CELL_COUNT; ++i)
        ASSERT_TRUE(same(hOut[i], h[i]) && same(uOut[i], u[i]) && same(vOut[i], v[i]))
            << i << ": u " << uOut[i] << " / " << u[i] << ", v " << vOut[i] << " / " << v[i];
}

// --- invalid kinds ------------------------------------------------------------

Field savedH, savedU, savedV, savedScratch;

void reportChangedFieldsAtExit()
{
    if (h != savedH || u != savedU || v != savedV || scratch != savedScratch)
        std::fputs("a field was changed", stderr);
}

void advectInvalidKind(int kind)
{
    pattern(h, 0.1f);
    pattern(u, 0.2f);
    pattern(v, 0.3f);
    savedH = h;
    savedU = u;
    savedV = v;
    savedScratch = scratch;
    std::atexit(reportChangedFieldsAtExit);
    // Anything printed to standard output shows up in the checked stream too.
    std::fflush(stdout);
    dup2(2, 1);
    advect(kind == 3 ? u : h, kind);
    std::fputs("advect returned", stderr);
}

// The program's advect by kind number (app/program.h) keeps the program's exit.
TEST_F(SimTest, InvalidKindExitsWithStatusOneSilentlyAndChangesNothing)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (int kind : {3, -1, 7})
        EXPECT_EXIT(advectInvalidKind(kind), ::testing::ExitedWithCode(1), "^$") << "kind " << kind;
}

// The library refuses a number outside the three kinds, as it does every bad
// argument, and the process goes on; nothing has been written.
TEST_F(SimTest, TheLibraryThrowsForAKindOutsideTheThreeAndChangesNothing)
{
    pattern(h, 0.1f);
    pattern(u, 0.2f);
    pattern(v, 0.3f);
    pattern(scratch, 0.4f);
    const Field before[] = {h, u, v, scratch};
    for (int kind : {3, -1, 7}) {
        EXPECT_THROW(advect(basin, kind == 3 ? u : h, AdvectKind(kind)), std::invalid_argument) << "kind " << kind;
        EXPECT_THROW(advectKind(kind), std::invalid_argument) << "kind " << kind;
    }
    EXPECT_TRUE(h == before[0] && u == before[1] && v == before[2] && scratch == before[3]);
    EXPECT_EQ(advectKind(0), ADVECT_H);
    EXPECT_EQ(advectKind(2), ADVECT_V);
}

} // namespace
