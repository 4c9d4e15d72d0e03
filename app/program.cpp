#include "app/program.h"

#include "app/perf_counter.h"

#include <cstdlib>
#include <stdexcept>

#include "sim/advect.h"

namespace {

// The counter read once before anything runs: the first interval is the raw
// reading, as the clock starts from a last reading of 0.
FrameClock primedClock()
{
    FrameClock clock;
    clock.frequency = queryPerformanceFrequency();
    const int64_t now = queryPerformanceCounter();
    clock.delta = now - clock.last;
    clock.last = now;
    return clock;
}

void countStep(StepRate& rate, int64_t now, int64_t frequency)
{
    ++rate.steps;
    if (rate.since == 0) {
        rate.since = now;
        rate.steps = 0;
        return;
    }
    const int64_t elapsed = now - rate.since;
    if (frequency > 0 && elapsed >= frequency) {
        rate.perSecond = double(rate.steps) * double(frequency) / double(elapsed);
        rate.since = now;
        rate.steps = 0;
    }
}

} // namespace

Program& activeProgram()
{
    static Program program = [] {
        Program p;
        p.view.clock = primedClock();
        return p;
    }();
    return program;
}

void startProgram(Program& program, const BasinConfig& config, uint32_t seed)
{
    if (config.width != program.basin.width() || config.height != program.basin.height() ||
        config.threads != program.basin.config().threads)
        program.basin = Basin(config);
    program.basin.generator.seed(seed);
    program.basin.colorMode = MODE_PLAIN;
    program.basin.reset();
    program.basin.resetRanges();
    frameBasin(program.view.camera, program.basin.width(), program.basin.height());
    // What was drawn of another basin is built afresh.
    program.view.surface = SurfaceCache();
    program.view.walls.drawn.clear();
}

void advanceProgram(Program& program, int64_t now)
{
    View& view = program.view;
    view.clock.delta = now - view.clock.last;
    view.clock.last = now;
    // The step size is fixed; the interval only feeds the frame-rate overlay.
    if (!view.paused) {
        program.basin.step();
        countStep(view.stepRate, now, view.clock.frequency);
    }
}

void advect(Field& f, int kind)
{
    AdvectKind known;
    try {
        known = advectKind(kind);
    } catch (const std::invalid_argument&) {
        std::exit(1);
    }
    advect(activeProgram().basin, f, known);
}
