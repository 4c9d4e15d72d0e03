#include "app/idle.h"

#include <GL/glut.h>

#include "app/perf_counter.h"
#include "app/program.h"

void idle()
{
    advanceProgram(activeProgram(), queryPerformanceCounter());
    glutPostRedisplay();
}
