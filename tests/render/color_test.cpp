#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "support/program_names.h"
#include "render/vertex_color.h"

namespace {

const float INF = std::numeric_limits<float>::infinity();

// State as after start-up: fields at rest, ranges reset, colour offsets.
void startColors()
{
    resetFields();
    resetRanges();
    hScale = heightChangeScale = heightAccelScale = 0.0f;
    speedSqScale = flowDirectionScale = energyProductScale = 0.0f;
    colorOffsets[0] = 1.0 / 3.0;
    colorOffsets[1] = -1.0 / 3.0;
    colorMode = 0;
}

void expectColor(const VertexColor& c, float r, float g, float b, float tol = 0.0f)
{
    EXPECT_NEAR(c.red, r, tol);
    EXPECT_NEAR(c.green, g, tol);
    EXPECT_NEAR(c.blue, b, tol);
}

} // namespace

TEST(HueChannel, RampOverOneTurn)
{
    EXPECT_EQ(hueChannel(0.0f), 0.0f);
    EXPECT_EQ(hueChannel(0.1f), float(6.0 * 0.1f));
    // float(1/6) lies just above 1/6, so the strict test puts it on the plateau.
    EXPECT_EQ(hueChannel(float(1.0 / 6.0)), 1.0f);
    EXPECT_EQ(hueChannel(std::nextafter(float(1.0 / 6.0), 0.0f)), float(6.0 * std::nextafter(float(1.0 / 6.0), 0.0f)));
    EXPECT_EQ(hueChannel(float(1.0 / 3.0)), 1.0f);
    EXPECT_EQ(hueChannel(0.5f), 1.0f);
    EXPECT_EQ(hueChannel(0.6f), float(1.0 - (0.6f - 0.5) * 6.0));
    // float(2/3) lies just above 2/3: the falling edge has ended.
    EXPECT_EQ(hueChannel(float(2.0 / 3.0)), 0.0f);
    EXPECT_EQ(hueChannel(0.9f), 0.0f);
    // 1 is not above 1: no wrap, and it is past the falling edge.
    EXPECT_EQ(hueChannel(1.0f), 0.0f);
}

TEST(HueChannel, NonFiniteInputs)
{
    EXPECT_EQ(hueChannel(std::numeric_limits<float>::quiet_NaN()), 0.0f);
    EXPECT_EQ(hueChannel(INF), 0.0f);
    EXPECT_EQ(hueChannel(-INF), -INF);
}

TEST(HueChannel, WrapsOnceJustOutsideTheRange)
{
    // -0.1 colours like 0.9 and 1.1 like 0.1, after one float-rounded step.
    EXPECT_EQ(hueChannel(-0.1f), hueChannel(float(-0.1f + 1.0)));
    EXPECT_EQ(hueChannel(-0.1f), 0.0f);
    EXPECT_EQ(hueChannel(1.1f), hueChannel(float(1.1f - 1.0)));
    EXPECT_NEAR(hueChannel(1.1f), 0.6f, 1e-6f);
    EXPECT_EQ(hueChannel(-0.5f), 1.0f); // like 0.5
    EXPECT_EQ(hueChannel(std::nextafter(1.0f, 2.0f)), hueChannel(float(std::nextafter(1.0f, 2.0f) - 1.0)));
}

TEST(HueChannel, DoesNotWrapTwiceFarOutside)
{
    EXPECT_EQ(hueChannel(2.5f), 0.0f);  // 1.5 after one wrap
    EXPECT_EQ(hueChannel(-1.5f), -3.0f); // -0.5 after one wrap, then 6 * t
    EXPECT_EQ(hueChannel(100.0f), 0.0f);
    EXPECT_LT(hueChannel(-100.0f), 0.0f);
}

TEST(VertexColor, PlainModeIsOneWaterColour)
{
    startColors();
    for (unsigned cell : {0u, 161u, 12345u, 25599u}) {
        EXPECT_EQ(colorParameter(colorInputs(basin, colorOffsets), cell), 0.64f);
        const VertexColor c = vertexColor(colorInputs(basin, colorOffsets), cell);
        EXPECT_EQ(c.red, 0.0f);
        EXPECT_EQ(c.green, 0.16000009f);
        EXPECT_EQ(c.blue, 1.0f);
    }
}

TEST(VertexColor, HueCircleAtTheEndsAndThirds)
{
    startColors();
    colorMode = 1;
    hMin = 0.0f;
    hScale = 1.0f;
    const unsigned cell = unsigned(cellIndex(40, 50));

    h[cell] = 0.0f;
    expectColor(vertexColor(colorInputs(basin, colorOffsets), cell), 1.0f, 0.0f, 0.0f, 3e-7f);
    h[cell] = 1.0f;
    expectColor(vertexColor(colorInputs(basin, colorOffsets), cell), 1.0f, 0.0f, 0.0f); // exactly red
    h[cell] = float(1.0 / 3.0);
    expectColor(vertexColor(colorInputs(basin, colorOffsets), cell), 0.0f, 1.0f, 0.0f, 3e-7f);
    h[cell] = float(2.0 / 3.0);
    expectColor(vertexColor(colorInputs(basin, colorOffsets), cell), 0.0f, 0.0f, 1.0f, 3e-7f);
    h[cell] = 0.5f; // cyan
    expectColor(vertexColor(colorInputs(basin, colorOffsets), cell), 0.0f, 1.0f, 1.0f, 3e-6f);
}

TEST(VertexColor, EachModeReadsItsOwnFieldAndRange)
{
    startColors();
    const unsigned cell = unsigned(cellIndex(7, 9));
    // Value 0.75 over a minimum of 0.25 and a scale of 0.5 gives t = 0.25 in every mode.
    Field* fields[] = {&h, &heightChange, &heightAccel, &speedSq, &flowDirection, &energyProduct};
    float* minima[] = {&hMin, &heightChangeMin, &heightAccelMin, &speedSqMin, &flowDirectionMin, &energyProductMin};
    float* scales[] = {&hScale, &heightChangeScale, &heightAccelScale, &speedSqScale, &flowDirectionScale, &energyProductScale};
    for (int mode = 1; mode <= 6; ++mode) {
        startColors();
        (*fields[mode - 1])[cell] = 0.75f;
        *minima[mode - 1] = 0.25f;
        *scales[mode - 1] = 0.5f;
        colorMode = mode;
        EXPECT_EQ(colorParameter(colorInputs(basin, colorOffsets), cell), 0.25f) << "mode " << mode;
        // Every other mode still sees value 0 or 1 at scale 0: t = 0.
        for (int other = 1; other <= 6; ++other) {
            if (other == mode)
                continue;
            colorMode = other;
            EXPECT_EQ(colorParameter(colorInputs(basin, colorOffsets), cell), 0.0f) << "mode " << other << " with " << mode << " set";
        }
    }
}

TEST(VertexColor, ParameterIsFormedInDoubleAndRoundedOnce)
{
    startColors();
    colorMode = 2;
    const unsigned cell = 500;
    heightChange[cell] = 0.1f;
    heightChangeMin = -0.3f;
    heightChangeScale = 1.7f;
    const double exact = (double(0.1f) - double(-0.3f)) * double(1.7f);
    EXPECT_EQ(colorParameter(colorInputs(basin, colorOffsets), cell), float(exact));
}

TEST(VertexColor, BeforeTheFirstStepEveryModeIsRed)
{
    startColors();
    h[300] = 1.25f; // even a raised cell: the scales are still 0
    for (int mode = 1; mode <= 6; ++mode) {
        colorMode = mode;
        for (unsigned cell : {0u, 300u, 25599u})
            expectColor(vertexColor(colorInputs(basin, colorOffsets), cell), 1.0f, 0.0f, 0.0f, 3e-7f);
    }
}

TEST(VertexColor, FlatRangeGivesBlackOrMinusInfinity)
{
    startColors();
    colorMode = 4;
    speedSqMin = 0.0f;
    speedSqScale = INF; // 1 / (max - min) over a flat field
    speedSq[10] = 0.0f;  // at the minimum: 0 * inf = NaN
    speedSq[11] = 0.5f;  // above: +inf
    speedSq[12] = -0.5f; // below: -inf
    EXPECT_TRUE(std::isnan(colorParameter(colorInputs(basin, colorOffsets), 10)));
    expectColor(vertexColor(colorInputs(basin, colorOffsets), 10), 0.0f, 0.0f, 0.0f);
    expectColor(vertexColor(colorInputs(basin, colorOffsets), 11), 0.0f, 0.0f, 0.0f);
    const VertexColor below = vertexColor(colorInputs(basin, colorOffsets), 12);
    EXPECT_EQ(below.red, -INF);
    EXPECT_EQ(below.green, -INF);
    EXPECT_EQ(below.blue, -INF);
}

TEST(VertexColor, GreyOffsetsGiveEqualChannels)
{
    startColors();
    colorOffsets[0] = 0.0;
    colorOffsets[1] = 0.0;
    colorMode = 1;
    hMin = 0.0f;
    hScale = 1.0f;
    for (float value : {-0.3f, 0.0f, 0.1f, 0.2f, 0.45f, 0.6f, 0.95f, 1.0f, 1.4f}) {
        h[77] = value;
        const VertexColor c = vertexColor(colorInputs(basin, colorOffsets), 77);
        EXPECT_EQ(c.red, c.green) << value;
        EXPECT_EQ(c.blue, c.green) << value;
    }
    colorMode = 0;
    const VertexColor plain = vertexColor(colorInputs(basin, colorOffsets), 77);
    EXPECT_EQ(plain.red, 0.16000009f);
    EXPECT_EQ(plain.green, 0.16000009f);
    EXPECT_EQ(plain.blue, 0.16000009f);
}
