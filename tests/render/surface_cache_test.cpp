// The surface's vertex attributes are kept between frames: rebuilt exactly when
// something they are formed from changed, and the frame after shows the change.
// Rebuilds are counted, not timed.

#include <gtest/gtest.h>

#include <GL/glut.h>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/fixed_gl_state.h"
#include "app/idle.h"
#include "app/reshape.h"
#include "app/state.h"
#include "input/keyboard.h"
#include "input/mouse.h"
#include "render/display.h"
#include "render/surface.h"
#include "support/gl_call_log.h"
#include "support/gl_test_context.h"
#include "per_vertex_surface.h"

namespace {

void press(char key) { keyboard(static_cast<unsigned char>(key), 0, 0); }

void startWaves()
{
    ensureGlContext(640, 480);
    reshape(640, 480);
    setFixedGlState();
    camera = Camera();
    lastMouseX = lastMouseY = 0;
    paused = false;
    zoomDrag = false;
    sizeFields();
    resetFields();
    resetRanges();
    press('c');
    press('1');
    std::srand(99);
    mouse(GLUT_MIDDLE_BUTTON, GLUT_DOWN, 300, 250);
    for (int i = 0; i < 5; ++i)
        idle();
}

// Draws a frame's surface and checks it against the per-vertex drawing of the
// fields as they are now; returns its calls.
std::vector<GlCall> drawAndCheck(const std::string& after)
{
    const std::vector<GlCall> drawn = loggedCalls(drawSurface);
    expectSameCalls(drawn, loggedCalls(drawSurfacePerVertex), after);
    return drawn;
}

} // namespace

TEST(SurfaceCache, EachChangeRebuildsOnceAndTheNextFrameShowsIt)
{
    startWaves();
    std::vector<GlCall> shown = drawAndCheck("start");

    struct Event {
        const char* name;
        void (*happen)();
    } events[] = {
        {"step", [] { idle(); }},
        {"pointer drop", [] { mouse(GLUT_MIDDLE_BUTTON, GLUT_DOWN, 100, 400); }},
        {"random drop", [] { press('d'); }},
        {"mode 3", [] { press('3'); }},
        {"step in mode 3", [] { idle(); }},
        {"grey", [] { press('b'); }},
        {"colour", [] { press('c'); }},
        {"mode 0", [] { press('0'); }},
        {"step in mode 0", [] { idle(); }},
        {"reset", [] { press('r'); }},
        {"paused drop", [] { press('p'); press('d'); }},
        {"paused mode 2", [] { press('2'); }},
        {"paused reset", [] { press('r'); }},
    };
    for (const Event& e : events) {
        const long before = surfaceRebuilds();
        e.happen();
        const std::vector<GlCall> now = drawAndCheck(e.name);
        EXPECT_EQ(surfaceRebuilds(), before + 1) << e.name;
        EXPECT_FALSE(now == shown) << e.name << " left the frame as it was";
        shown = now;
        // Until the next change, frames reuse what was built.
        drawAndCheck(std::string("again after ") + e.name);
        EXPECT_EQ(surfaceRebuilds(), before + 1) << e.name;
    }
    press('p');
    press('0');
}

TEST(SurfaceCache, NothingThatLeavesTheWaterAloneRebuilds)
{
    startWaves();
    drawAndCheck("start");
    const long before = surfaceRebuilds();

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
    EXPECT_EQ(surfaceRebuilds(), before);
    drawAndCheck("after the orbit");
    EXPECT_EQ(surfaceRebuilds(), before);

    // A key the drawing does not know is ignored; unpausing alone changes nothing either.
    press('x');
    press('p');
    display();
    EXPECT_EQ(surfaceRebuilds(), before);
    reshape(640, 480);
}
