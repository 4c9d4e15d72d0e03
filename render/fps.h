#pragma once

#include <cstdint>
#include <string>

#include "app/program.h" // FpsRing, FrameClock

// Frame-rate overlay: a ring of the last FPS_SAMPLE_COUNT rate samples and their average.

// Largest sample magnitude kept in the ring: twenty of them still sum within an int.
constexpr int FPS_SAMPLE_LIMIT = 2147483647 / FPS_SAMPLE_COUNT;

// The overlay has five characters for the number, a minus sign included.
constexpr int FPS_SHOWN_MAX = 99999;
constexpr int FPS_SHOWN_MIN = -9999;
constexpr int FPS_DIGITS_SIZE = 6; // five characters and the terminator

// Frames per second over one interval of delta ticks at frequency ticks per
// second, truncated toward zero and held within +-FPS_SAMPLE_LIMIT.
// A zero interval counts as the fastest rate; a frequency of 0 or less gives 0.
int frameRateSample(int64_t delta, int64_t frequency);

// Stores a sample in the ring's current slot and moves it on around the ring.
void recordFpsSample(FpsRing& ring, int sample);

// Mean of all 20 slots (unwritten ones count as 0), truncated toward zero.
int averageFps(const FpsRing& ring);

// Decimal text of an average, held to what fits the five-character field.
void formatFps(int average, char (&digits)[FPS_DIGITS_SIZE]);

// "FPS: " followed by formatFps of the average.
std::string fpsText(int average);

// Samples the clock's last interval, records it and returns the new average.
int updateFps(View& view);

// Adds the latest frame-interval sample and draws "FPS: " with the 20-frame average.
void drawFps(View& view);
