#include "app/idle.h"

#include <GL/glut.h>

#include "app/perf_counter.h"
#include "app/state.h"
#include "sim/step.h"

void idle()
{
    const int64_t now = queryPerformanceCounter();
    perfDelta = now - perfLast;
    perfLast = now;

    // The step size is fixed; perfDelta only feeds the frame-rate overlay.
    if (!paused)
        simulationStep();

    glutPostRedisplay();
}
