// Cost of one frame's water surface: building the strips on the CPU (positions,
// normals, colours) against handing the same vertices to the GL.
//
// Usage: frame-bench [frames]   (needs DISPLAY; run under Xvfb for Mesa)

#include <GL/glu.h>
#include <GL/freeglut.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "app/fixed_gl_state.h"
#include "app/reshape.h"
#include "app/state.h"
#include "render/display.h"
#include "render/surface.h"
#include "render/text.h"
#include "render/vertex_color.h"
#include "sim/drops.h"
#include "sim/step.h"

namespace {

using Clock = std::chrono::steady_clock;

void noDisplay() {}

void openWindow()
{
    int argc = 1;
    char name[] = "frame-bench";
    char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
    glutInitWindowSize(windowWidth, windowHeight);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutCreateWindow("frame-bench");
    glutDisplayFunc(noDisplay);
    for (int i = 0; i < 3; ++i)
        glutMainLoopEvent();
}

// The program's fixed state and light, as main sets them.
void setFixedState()
{
    reshape(windowWidth, windowHeight);
    setFixedGlState();
    initFont();
}

// Moving water in a colour mode with a finite range, so every normal and colour
// is a real computation.
void makeWaves()
{
    sizeFields();
    resetFields();
    resetRanges();
    addDrop(80, 80, 6, 0.1f);
    addDrop(40, 120, 4, 0.05f);
    for (int i = 0; i < 40; ++i)
        simulationStep();
    colorMode = 1;
}

// The loops of drawSurface with every GL call replaced by a sum of what it
// would have been given, so nothing can be optimised away.
double buildWithoutGl()
{
    double sum = 0.0;
    for (int y = FIRST_STRIP_ROW; y <= LAST_STRIP_ROW; ++y) {
        for (int r : {y + 1, y}) {
            const VertexColor c = vertexColor(unsigned(cellIndex(0, r)));
            sum += c.red + c.green + c.blue + float(scaledHeight(0, r));
        }
        for (int x = 1; x < GRID_SIZE; ++x) {
            const VertexColor ca = vertexColor(unsigned(cellIndex(x, y + 1)));
            const SurfaceNormal na = upperNormal(x, y);
            sum += ca.red + ca.green + ca.blue;
            sum += float(na.x) + float(na.y) + float(na.z) + float(scaledHeight(x, y + 1));
            const VertexColor cb = vertexColor(unsigned(cellIndex(x, y)));
            const SurfaceNormal nb = lowerNormal(x, y);
            sum += cb.red + cb.green + cb.blue;
            sum += float(nb.x) + float(nb.y) + float(nb.z) + float(scaledHeight(x, y));
        }
    }
    return sum;
}

double millisecondsPerFrame(Clock::time_point start, int frames)
{
    const std::chrono::duration<double, std::milli> spent = Clock::now() - start;
    return spent.count() / frames;
}

// The view and material of display, so the GL does the work it does in a frame.
void applyFrameView()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    camera.Apply();
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT, GL_DIFFUSE);
}

double timeSurface(int frames, bool rasterize)
{
    glCullFace(rasterize ? GL_BACK : GL_FRONT_AND_BACK);
    applyFrameView();
    drawSurface(); // warm-up
    glFinish();
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < frames; ++i) {
        applyFrameView();
        drawSurface();
        glFinish();
    }
    const double ms = millisecondsPerFrame(start, frames);
    glDisable(GL_COLOR_MATERIAL);
    glCullFace(GL_BACK);
    return ms;
}

double timeDisplay(int frames)
{
    display();
    glFinish();
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < frames; ++i) {
        display();
        glFinish();
    }
    return millisecondsPerFrame(start, frames);
}

} // namespace

int main(int argc, char** argv)
{
    const int frames = argc > 1 ? std::atoi(argv[1]) : 100;
    if (frames <= 0) {
        std::fprintf(stderr, "frame-bench: frames must be positive\n");
        return 2;
    }
    openWindow();
    setFixedState();
    makeWaves();

    volatile double sink = buildWithoutGl();
    Clock::time_point start = Clock::now();
    const int cpuFrames = frames * 10;
    for (int i = 0; i < cpuFrames; ++i)
        sink = sink + buildWithoutGl();
    const double cpu = millisecondsPerFrame(start, cpuFrames);

    const double culled = timeSurface(frames, false);
    const double drawn = timeSurface(frames, true);
    const double whole = timeDisplay(frames);

    std::printf("GL: %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    std::printf("strips built without GL (normals, colours):  %8.3f ms/frame\n", cpu);
    std::printf("drawSurface, every triangle culled:          %8.3f ms/frame\n", culled);
    std::printf("drawSurface, drawn as in a frame:            %8.3f ms/frame\n", drawn);
    std::printf("display (no sky box), swap included:         %8.3f ms/frame\n", whole);
    std::printf("CPU share of the surface: %.1f%% of the drawn cost\n", 100.0 * cpu / drawn);
    return 0;
}
