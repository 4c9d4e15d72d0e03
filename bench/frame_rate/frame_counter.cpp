// LD_PRELOAD shim that counts glutSwapBuffers calls and reports the frame rate on
// standard error when the process exits: frames are counted from the end of a
// warm-up (FRAME_COUNTER_WARMUP seconds, default 1) to the last swap.
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

using SwapFunction = void (*)();

double now()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

double warmupSeconds()
{
    const char* text = std::getenv("FRAME_COUNTER_WARMUP");
    return text ? std::atof(text) : 1.0;
}

double firstSwap = -1.0;
double countFrom = -1.0;
double lastSwap = 0.0;
long frames = 0;
long totalFrames = 0;

} // namespace

extern "C" void glutSwapBuffers()
{
    static SwapFunction real = SwapFunction(dlsym(RTLD_NEXT, "glutSwapBuffers"));
    if (real)
        real();
    const double t = now();
    ++totalFrames;
    if (firstSwap < 0.0)
        firstSwap = t;
    if (countFrom < 0.0) {
        if (t - firstSwap < warmupSeconds())
            return;
        countFrom = t; // the counted frames are the intervals after this swap
        lastSwap = t;
        return;
    }
    ++frames;
    lastSwap = t;
}

__attribute__((destructor)) static void reportFrameRate()
{
    const double seconds = lastSwap - countFrom;
    if (countFrom < 0.0 || frames == 0 || seconds <= 0.0) {
        std::fprintf(stderr, "frame-counter: %ld frames, too few to measure\n", totalFrames);
        return;
    }
    std::fprintf(stderr, "frame-counter: %ld frames in %.3f s: %.1f frames/s\n", frames, seconds,
                 double(frames) / seconds);
}
