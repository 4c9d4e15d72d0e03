#include <gtest/gtest.h>

#include <cstring>

#include "support/program_names.h"
#include "render/fps.h"

namespace {

constexpr int64_t GHZ = 1000000000; // the program's counter runs in nanoseconds

void clearRing()
{
    for (int& s : fpsSamples)
        s = 0;
    fpsIndex = 0;
}

} // namespace

TEST(FpsSample, RateIsTruncatedTowardZero)
{
    EXPECT_EQ(frameRateSample(GHZ / 60, GHZ), 60);
    EXPECT_EQ(frameRateSample(int64_t(GHZ / 59.9), GHZ), 59);
    EXPECT_EQ(frameRateSample(GHZ, GHZ), 1);
    EXPECT_EQ(frameRateSample(3 * GHZ, GHZ), 0);      // a third of a frame per second
    EXPECT_EQ(frameRateSample(-GHZ / 60, GHZ), -60);  // a counter going back
    // The raw counter reading before the first idle call: practically 0.
    EXPECT_EQ(frameRateSample(int64_t(3600) * GHZ, GHZ), 0);
}

TEST(FpsSample, DegenerateIntervalsStayWithinTheRing)
{
    // Two idle calls within one tick: the fastest rate kept, not inf cast to int.
    EXPECT_EQ(frameRateSample(0, GHZ), FPS_SAMPLE_LIMIT);
    // One tick of a nanosecond counter is 10^9 per second: held at the limit.
    EXPECT_EQ(frameRateSample(1, GHZ), FPS_SAMPLE_LIMIT);
    EXPECT_EQ(frameRateSample(-1, GHZ), -FPS_SAMPLE_LIMIT);
    EXPECT_EQ(frameRateSample(1, INT64_MAX), FPS_SAMPLE_LIMIT);
    // No time base at all.
    EXPECT_EQ(frameRateSample(GHZ / 60, 0), 0);
    EXPECT_EQ(frameRateSample(0, 0), 0);
    EXPECT_EQ(frameRateSample(GHZ / 60, -GHZ), 0);
    // Twenty saturated samples still sum inside an int.
    EXPECT_LE(int64_t(FPS_SAMPLE_LIMIT) * FPS_SAMPLE_COUNT, int64_t(INT32_MAX));
}

TEST(FpsRing, FirstFramesAtSixtyReadThreeSixNine)
{
    clearRing();
    for (int frame = 1; frame <= 25; ++frame) {
        recordFpsSample(view.fps, frameRateSample(GHZ / 60, GHZ));
        const int expected = frame < 20 ? 3 * frame : 60;
        EXPECT_EQ(averageFps(view.fps), expected) << "frame " << frame;
    }
}

TEST(FpsRing, IndexWrapsAndTheTwentyFirstCallWritesSlotZero)
{
    clearRing();
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(fpsIndex, i);
        recordFpsSample(view.fps, 100 + i);
    }
    EXPECT_EQ(fpsIndex, 0);
    recordFpsSample(view.fps, 7);
    EXPECT_EQ(fpsSamples[0], 7);
    EXPECT_EQ(fpsSamples[1], 101);
    EXPECT_EQ(fpsIndex, 1);
    // (7 + 101 + ... + 119) / 20 = 2097 / 20 = 104.85
    EXPECT_EQ(averageFps(view.fps), 104);
}

TEST(FpsRing, AverageTruncatesTowardZero)
{
    clearRing();
    for (int i = 0; i < 19; ++i)
        recordFpsSample(view.fps, 60);
    recordFpsSample(view.fps, 59); // 1199 / 20 = 59.95
    EXPECT_EQ(averageFps(view.fps), 59);

    clearRing();
    recordFpsSample(view.fps, -30); // -1.5
    EXPECT_EQ(averageFps(view.fps), -1);
}

TEST(FpsRing, SaturatedSlotsDoNotOverflowTheSum)
{
    clearRing();
    for (int i = 0; i < 20; ++i)
        recordFpsSample(view.fps, frameRateSample(0, GHZ));
    EXPECT_EQ(averageFps(view.fps), FPS_SAMPLE_LIMIT);
    // Slots written from outside the sampler are summed wide as well.
    for (int& s : fpsSamples)
        s = INT32_MAX;
    EXPECT_EQ(averageFps(view.fps), INT32_MAX);
    for (int& s : fpsSamples)
        s = INT32_MIN;
    EXPECT_EQ(averageFps(view.fps), INT32_MIN);
    clearRing();
}

TEST(FpsText, NumbersThatFitAreWrittenAsTheyAre)
{
    EXPECT_EQ(fpsText(0), "FPS: 0");
    EXPECT_EQ(fpsText(60), "FPS: 60");
    EXPECT_EQ(fpsText(99999), "FPS: 99999");
    EXPECT_EQ(fpsText(-9999), "FPS: -9999");
    EXPECT_EQ(fpsText(-7), "FPS: -7");
}

TEST(FpsText, NumbersThatDoNotFitAreHeldToTheFiveCharacterField)
{
    // Guard bytes around the buffer catch any write past its six characters.
    struct {
        char before[8];
        char digits[FPS_DIGITS_SIZE];
        char after[8];
    } guarded;
    for (int value : {100000, 123456789, INT32_MAX, -10000, -123456, INT32_MIN}) {
        std::memset(&guarded, '#', sizeof guarded);
        formatFps(value, guarded.digits);
        EXPECT_LT(std::strlen(guarded.digits), size_t(FPS_DIGITS_SIZE));
        EXPECT_STREQ(guarded.digits, value > 0 ? "99999" : "-9999") << value;
        for (char c : guarded.before)
            EXPECT_EQ(c, '#');
        for (char c : guarded.after)
            EXPECT_EQ(c, '#');
    }
    EXPECT_EQ(fpsText(FPS_SAMPLE_LIMIT), "FPS: 99999");
}

TEST(FpsUpdate, ReadsTheIntervalOfTheLatestIdleCall)
{
    clearRing();
    const int64_t delta0 = perfDelta, frequency0 = perfFrequency;
    perfFrequency = GHZ;
    perfDelta = GHZ / 60;
    EXPECT_EQ(updateFps(view), 3);
    EXPECT_EQ(updateFps(view), 6);
    perfDelta = 0;
    EXPECT_EQ(updateFps(view), int((120.0 + FPS_SAMPLE_LIMIT) / 20.0));
    EXPECT_EQ(fpsIndex, 3);
    perfFrequency = 0;
    perfDelta = GHZ / 60;
    updateFps(view);
    EXPECT_EQ(fpsSamples[3], 0);
    perfDelta = delta0;
    perfFrequency = frequency0;
    clearRing();
}
