// Cost of one frame's water surface: building its vertex attributes on the CPU
// (positions, normals, colours), one vertex at a time as the strips were once
// built and in one pass on every path this processor offers, against handing
// the vertices to the GL; and a paused frame, which only sends what was kept.
//
// Usage: frame-bench [frames]   (needs DISPLAY; run under Xvfb for Mesa)

#include <GL/glu.h>
#include <GL/freeglut.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "app/fixed_gl_state.h"
#include "app/reshape.h"
#include "tests/support/program_names.h"
#include "render/camera.h"
#include "render/display.h"
#include "render/surface.h"
#include "render/text.h"
#include "render/vertex_attributes.h"
#include "render/vertex_color.h"
#include "simd/targets.h"
#include "app/drops.h"
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
    setFixedGlState(view);
    initFont();
}

// Moving water in a colour mode with a finite range, so every normal and colour
// is a real computation.
void makeWaves()
{
    resetFields();
    resetRanges();
    basin.addDrop(80, 80, 6, 0.1f);
    basin.addDrop(40, 120, 4, 0.05f);
    for (int i = 0; i < 40; ++i)
        simulationStep();
    colorMode = 1;
}

// The per-vertex strip loops the surface was drawn with before its attributes
// were kept, with every GL call replaced by a sum of what it would have been
// given, so nothing can be optimised away.
double buildPerVertexWithoutGl()
{
    double sum = 0.0;
    for (int y = FIRST_STRIP_ROW; y <= LAST_STRIP_ROW; ++y) {
        for (int r : {y + 1, y}) {
            const VertexColor c = vertexColor(colorInputs(basin, colorOffsets), unsigned(cellIndex(0, r)));
            sum += c.red + c.green + c.blue + float(scaledHeight(gridOf(basin), 0, r));
        }
        for (int x = 1; x < GRID_SIZE; ++x) {
            const VertexColor ca = vertexColor(colorInputs(basin, colorOffsets), unsigned(cellIndex(x, y + 1)));
            const SurfaceNormal na = upperNormal(gridOf(basin), x, y);
            sum += ca.red + ca.green + ca.blue;
            sum += float(na.x) + float(na.y) + float(na.z) + float(scaledHeight(gridOf(basin), x, y + 1));
            const VertexColor cb = vertexColor(colorInputs(basin, colorOffsets), unsigned(cellIndex(x, y)));
            const SurfaceNormal nb = lowerNormal(gridOf(basin), x, y);
            sum += cb.red + cb.green + cb.blue;
            sum += float(nb.x) + float(nb.y) + float(nb.z) + float(scaledHeight(gridOf(basin), x, y));
        }
    }
    return sum;
}

// CPU time of the calling thread: what building a frame costs the program's own
// thread, less sensitive than the wall clock to other processes on the machine.
double threadCpuMilliseconds()
{
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
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

// Per-vertex drawing as it was: the same calls, computed between them.
void drawSurfacePerVertex()
{
    for (int y = FIRST_STRIP_ROW; y <= LAST_STRIP_ROW; ++y) {
        glBegin(GL_TRIANGLE_STRIP);
        for (int r : {y + 1, y}) {
            setVertexColor(colorInputs(basin, colorOffsets), unsigned(cellIndex(0, r)));
            glVertex3f(0.0f, float(scaledHeight(gridOf(basin), 0, r)), float(r));
        }
        for (int x = 1; x < GRID_SIZE; ++x) {
            setVertexColor(colorInputs(basin, colorOffsets), unsigned(cellIndex(x, y + 1)));
            const SurfaceNormal na = upperNormal(gridOf(basin), x, y);
            glNormal3f(float(na.x), float(na.y), float(na.z));
            glVertex3f(float(x), float(scaledHeight(gridOf(basin), x, y + 1)), float(y + 1));
            setVertexColor(colorInputs(basin, colorOffsets), unsigned(cellIndex(x, y)));
            const SurfaceNormal nb = lowerNormal(gridOf(basin), x, y);
            glNormal3f(float(nb.x), float(nb.y), float(nb.z));
            glVertex3f(float(x), float(scaledHeight(gridOf(basin), x, y)), float(y));
        }
        glEnd();
    }
}

// The surface as a running frame draws it: the fields changed, so it rebuilds.
void drawSurfaceRebuilt()
{
    basin.noteFieldsChanged();
    drawSurface(basin, colorOffsets, view.surface);
}

struct FrameCost {
    double wall;      // ms a frame
    double threadCpu; // ms a frame on the calling thread
};

FrameCost timeSurface(void (*draw)(), int frames, bool rasterize)
{
    glCullFace(rasterize ? GL_BACK : GL_FRONT_AND_BACK);
    applyFrameView();
    draw(); // warm-up
    glFinish();
    const double cpu = threadCpuMilliseconds();
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < frames; ++i) {
        applyFrameView();
        draw();
        glFinish();
    }
    const FrameCost cost{millisecondsPerFrame(start, frames), (threadCpuMilliseconds() - cpu) / frames};
    glDisable(GL_COLOR_MATERIAL);
    glCullFace(GL_BACK);
    return cost;
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

// Both passes: what a running frame in a mode with a field rebuilds.
double timeAttributePasses(VertexAttributes& a, int frames)
{
    buildSurfaceGeometry(gridOf(basin), a);
    buildSurfaceColors(gridOf(basin), colorInputs(basin, colorOffsets), a);
    const double start = threadCpuMilliseconds();
    for (int i = 0; i < frames; ++i) {
        buildSurfaceGeometry(gridOf(basin), a);
        buildSurfaceColors(gridOf(basin), colorInputs(basin, colorOffsets), a);
    }
    return (threadCpuMilliseconds() - start) / frames;
}

double timePerVertexBuild(int frames)
{
    volatile double sink = buildPerVertexWithoutGl();
    const double start = threadCpuMilliseconds();
    for (int i = 0; i < frames; ++i)
        sink = sink + buildPerVertexWithoutGl();
    return (threadCpuMilliseconds() - start) / frames;
}

constexpr int ROUNDS = 3; // every figure is the best of this many, taken in turn

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

    std::printf("GL: %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    const int cpuFrames = frames * 10;
    const std::vector<std::string>& names = simd::targetNames();
    VertexAttributes a;
    sizeVertexAttributes(a, CELL_COUNT);
    double perVertex = 1e30;
    std::vector<double> passes(names.size(), 1e30);
    for (int round = 0; round < ROUNDS; ++round) {
        perVertex = std::min(perVertex, timePerVertexBuild(cpuFrames));
        for (size_t k = 0; k < names.size(); ++k) {
            simd::useTarget(names[k]);
            passes[k] = std::min(passes[k], timeAttributePasses(a, cpuFrames));
        }
    }
    simd::useDefaultTarget();
    std::printf("building one frame's vertex attributes, no GL (ms/frame, thread CPU time, best of %d):\n",
                ROUNDS);
    std::printf("  %-28s %8.3f\n", "per vertex (before)", perVertex);
    for (size_t k = 0; k < names.size(); ++k)
        std::printf("  %-28s %8.3f   %5.1fx%s\n", (names[k] + " pass").c_str(), passes[k], perVertex / passes[k],
                    k == 0 ? "   (default)" : "");

    const struct {
        const char* name;
        void (*draw)();
    } ways[] = {
        {"per vertex (before)", drawSurfacePerVertex},
        {"running frame: rebuilt, sent", drawSurfaceRebuilt},
        {"paused frame: kept, sent", [] { drawSurface(basin, colorOffsets, view.surface); }},
    };
    FrameCost culled[3], drawn[3];
    for (int round = 0; round < ROUNDS; ++round) {
        for (int k = 0; k < 3; ++k) {
            const FrameCost c = timeSurface(ways[k].draw, frames, false);
            const FrameCost d = timeSurface(ways[k].draw, frames, true);
            if (round == 0 || c.threadCpu < culled[k].threadCpu)
                culled[k] = c;
            if (round == 0 || d.wall < drawn[k].wall)
                drawn[k] = d;
        }
    }
    std::printf("drawSurface (ms/frame, best of %d)   culled: thread CPU   drawn: wall\n", ROUNDS);
    for (int k = 0; k < 3; ++k)
        std::printf("  %-32s %14.3f %13.3f\n", ways[k].name, culled[k].threadCpu, drawn[k].wall);
    paused = true;
    const double pausedDisplay = timeDisplay(frames);
    std::printf("display, paused (no sky box), swap included: %8.3f ms/frame\n", pausedDisplay);
    return 0;
}
