// The surface's vertex attributes are kept between frames: rebuilt exactly when
// something they are formed from changed, and the frame after shows the change.
// Rebuilds are seen in the kept attributes (rebuild_probe.h), not timed.

#include <gtest/gtest.h>

#include <GL/glut.h>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/fixed_gl_state.h"
#include "app/idle.h"
#include "app/reshape.h"
#include "support/program_names.h"
#include "render/camera.h"
#include "input/keyboard.h"
#include "input/mouse.h"
#include "render/display.h"
#include "render/surface.h"
#include "support/gl_call_log.h"
#include "support/gl_test_context.h"
#include "per_vertex_surface.h"
#include "rebuild_probe.h"

namespace {

void press(char key) { keyboard(static_cast<unsigned char>(key), 0, 0); }

void startWaves()
{
    ensureGlContext(640, 480);
    reshape(640, 480);
    setFixedGlState(view);
    camera = Camera();
    lastMouseX = lastMouseY = 0;
    paused = false;
    zoomDrag = false;
    resetFields();
    resetRanges();
    press('c');
    press('1');
    basin.generator.seed(99);
    mouse(GLUT_MIDDLE_BUTTON, GLUT_DOWN, 300, 250);
    for (int i = 0; i < 5; ++i)
        idle();
}

// Draws a frame's surface and checks it against the per-vertex drawing of the
// fields as they are now; returns its calls.
std::vector<GlCall> drawAndCheck(const std::string& after)
{
    const std::vector<GlCall> drawn = loggedCalls([] { drawSurface(basin, colorOffsets, view.surface); });
    expectSameCalls(drawn, loggedCalls(drawSurfacePerVertex), after);
    return drawn;
}

void expectNoRebuild(RebuildProbe& probe, const char* after)
{
    const Rebuilt r = probe.settle();
    EXPECT_FALSE(r.geometry) << after;
    EXPECT_FALSE(r.colors) << after;
}

} // namespace

TEST(SurfaceCache, EachChangeRebuildsOnceAndTheNextFrameShowsIt)
{
    startWaves();
    std::vector<GlCall> shown = drawAndCheck("start");

    // What each event must rebuild: the geometry (heights and normals) when the
    // water moved, the colours when their mode, tones or range changed, or the
    // water they are read from moved. The plain colour reads no field.
    struct Event {
        const char* name;
        void (*happen)();
        bool geometry, colors;
    } events[] = {
        {"step", [] { idle(); }, true, true},
        {"pointer drop", [] { mouse(GLUT_MIDDLE_BUTTON, GLUT_DOWN, 100, 400); }, true, true},
        {"random drop", [] { press('d'); }, true, true},
        {"mode 3", [] { press('3'); }, false, true},
        {"step in mode 3", [] { idle(); }, true, true},
        {"grey", [] { press('b'); }, false, true},
        {"colour", [] { press('c'); }, false, true},
        {"mode 0", [] { press('0'); }, false, true},
        {"step in mode 0", [] { idle(); }, true, false},
        {"reset", [] { press('r'); }, true, false},
        {"paused drop", [] { press('p'); press('d'); }, true, false},
        {"paused mode 2", [] { press('2'); }, false, true},
        {"paused reset", [] { press('r'); }, true, true},
    };
    for (const Event& e : events) {
        RebuildProbe probe;
        e.happen();
        const Rebuilt r = probe.settle();
        EXPECT_EQ(r.geometry, e.geometry) << e.name;
        EXPECT_EQ(r.colors, e.colors) << e.name;
        const std::vector<GlCall> now = drawAndCheck(e.name);
        EXPECT_FALSE(now == shown) << e.name << " left the frame as it was";
        shown = now;
        // Until the next change, frames reuse what was built.
        RebuildProbe again;
        expectNoRebuild(again, e.name);
        drawAndCheck(std::string("again after ") + e.name);
    }
    press('p');
    press('0');
}

TEST(SurfaceCache, NothingThatLeavesTheWaterAloneRebuilds)
{
    startWaves();
    drawAndCheck("start");
    RebuildProbe probe;

    press('p');
    for (int i = 0; i < 3; ++i) {
        idle(); // paused: no step
        motion(120 + 9 * i, 200 - 7 * i); // orbit
        display();
    }
    mouse(GLUT_RIGHT_BUTTON, GLUT_DOWN, 0, 0); // zoom
    motion(140, 260);
    mouse(GLUT_RIGHT_BUTTON, GLUT_UP, 0, 0);
    press('f');
    display();
    press('s');
    press('1'); // the mode already shown
    press('c'); // the colours already shown
    reshape(500, 400);
    display();
    expectNoRebuild(probe, "the orbit");
    drawAndCheck("after the orbit");

    // A key the drawing does not know is ignored; unpausing alone changes nothing either.
    press('x');
    press('p');
    RebuildProbe unpaused;
    display();
    expectNoRebuild(unpaused, "unpausing");
    reshape(640, 480);
}
