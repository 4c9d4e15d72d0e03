#include "render/fps.h"

#include <cstdio>

#include "render/text.h"

int frameRateSample(int64_t delta, int64_t frequency)
{
    // Without a time base no rate can be formed.
    if (frequency <= 0)
        return 0;
    // Two idle calls within one tick: the rate is beyond what the counter
    // resolves, and 1 / 0 has no int value, so take the fastest rate kept.
    if (delta == 0)
        return FPS_SAMPLE_LIMIT;

    const double seconds = double(delta) / double(frequency);
    double rate = 1.0 / seconds;
    // Converting a double outside the int range is undefined; hold it first.
    if (rate > FPS_SAMPLE_LIMIT)
        rate = FPS_SAMPLE_LIMIT;
    else if (rate < -FPS_SAMPLE_LIMIT)
        rate = -FPS_SAMPLE_LIMIT;
    return int(rate);
}

void recordFpsSample(FpsRing& ring, int sample)
{
    ring.samples[ring.index] = sample;
    ++ring.index;
    if (ring.index >= FPS_SAMPLE_COUNT)
        ring.index = 0;
}

int averageFps(const FpsRing& ring)
{
    // Summed wide so that slots written from outside can never overflow.
    int64_t sum = 0;
    for (int i = 0; i < FPS_SAMPLE_COUNT; ++i)
        sum += ring.samples[i];
    return int(double(sum) / double(FPS_SAMPLE_COUNT));
}

void formatFps(int average, char (&digits)[FPS_DIGITS_SIZE])
{
    int shown = average;
    if (shown > FPS_SHOWN_MAX)
        shown = FPS_SHOWN_MAX;
    else if (shown < FPS_SHOWN_MIN)
        shown = FPS_SHOWN_MIN;
    std::snprintf(digits, sizeof digits, "%d", shown);
}

std::string fpsText(int average)
{
    char digits[FPS_DIGITS_SIZE];
    formatFps(average, digits);
    // Ten characters at most: short enough to stay in the string's own storage.
    std::string text = "FPS: ";
    text += digits;
    return text;
}

int updateFps(View& view)
{
    recordFpsSample(view.fps, frameRateSample(view.clock.delta, view.clock.frequency));
    return averageFps(view.fps);
}

void drawFps(View& view)
{
    drawText(fpsText(updateFps(view)), 0.01f, 0.01f);
}
