// A frame's vertex calls, logged on their way into the GL, stay what the
// per-vertex drawing sent: the same calls with the same argument bits in the same
// order, in every colour mode, in grey and colour, running and paused.
//
// Two references: the per-vertex drawing kept below (setVertexColor and the
// normal functions, one vertex at a time, as the strips were sent before their
// attributes were built in one pass), and the digests of whole frames recorded
// from the program before that change (tools/record-gl-stream.sh builds this file
// against that commit and prints them). This file uses nothing newer, so that it
// builds there too.

#include <gtest/gtest.h>

#include <GL/glut.h>
#include <algorithm>
#include <cstdio>
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
#include "render/text.h"
#include "support/gl_call_log.h"
#include "support/gl_test_context.h"
#include "per_vertex_surface.h"

namespace {

// Frames of the walk below and their digests, recorded from the per-vertex
// drawing at commit 38f0675 by tools/record-gl-stream.sh.
struct Pinned {
    const char* frame;
    uint64_t digest;
};
const Pinned PINNED[] = {
#include "gl_stream_digests.inc"
};

struct Walk {
    bool recording = std::getenv("RIPPLEMOOR_RECORD_GL_STREAM") != nullptr;
    size_t next = 0;
    // The camera and shade model the last frame's surface was drawn with, which
    // its calls do not carry.
    GlDrawState state{};

    // A whole frame through display, and the surface alone against the per-vertex drawing.
    void frame(const std::string& name)
    {
        const std::vector<GlCall> whole = loggedCalls(display);
        const uint64_t digest = glCallDigest(whole);
        const std::vector<GlDrawState> states = loggedDrawStates();
        ASSERT_FALSE(states.empty()) << name;
        state = states.front();
        for (const GlDrawState& s : states)
            EXPECT_TRUE(s == state) << name << ": the strips of one frame drawn with different state";

        const std::vector<GlCall> surface = loggedCalls([] { drawSurface(basin, colorOffsets, view.surface); });
        const std::vector<GlCall> reference = loggedCalls(drawSurfacePerVertex);
        expectStripShape(surface);
        expectSameCalls(surface, reference, name);
        // The frame's surface is the one drawn on its own: nothing else sends vertices.
        ASSERT_GE(whole.size(), surface.size());
        EXPECT_TRUE(std::equal(surface.begin(), surface.end(), whole.begin())) << name;

        if (recording) {
            std::printf("{\"%s\", 0x%016llxull},\n", name.c_str(), static_cast<unsigned long long>(digest));
            return;
        }
        ASSERT_LT(next, sizeof PINNED / sizeof PINNED[0]) << name;
        EXPECT_EQ(name, PINNED[next].frame);
        EXPECT_EQ(digest, PINNED[next].digest) << name;
        ++next;
    }

    void steps(int n)
    {
        for (int i = 0; i < n; ++i)
            idle();
    }
};

void press(char key) { keyboard(static_cast<unsigned char>(key), 0, 0); }

void startLikeMain()
{
    ensureGlContext(640, 480);
    reshape(640, 480);
    lightPosition[0] = lightPosition[1] = lightPosition[2] = lightPosition[3] = 0.0f;
    setFixedGlState(view);
    if (fontBase == 0)
        fontBase = initFont();
    camera = Camera();
    lastMouseX = lastMouseY = 0;
    paused = false;
    zoomDrag = false;
    resetFields();
    resetRanges();
    // The scales as before the first step.
    hScale = heightChangeScale = heightAccelScale = 0.0f;
    speedSqScale = flowDirectionScale = energyProductScale = 0.0f;
    press('0');
    press('c');
    glShadeModel(GL_SMOOTH);
    basin.generator.seed(2718);
}

} // namespace

TEST(GlStream, FramesSendWhatThePerVertexDrawingSent)
{
    startLikeMain();
    Walk walk;
    walk.frame("rest, mode 0");
    press('1');
    walk.frame("rest, mode 1, before the first step");

    // At rest every range is empty: infinite scales, NaN and infinite parameters.
    for (char mode = '0'; mode <= '6'; ++mode) {
        press(mode);
        walk.steps(1);
        walk.frame(std::string("rest, mode ") + mode + ", stepped");
    }

    mouse(GLUT_MIDDLE_BUTTON, GLUT_DOWN, 320, 240);
    mouse(GLUT_MIDDLE_BUTTON, GLUT_UP, 320, 240);
    mouse(GLUT_MIDDLE_BUTTON, GLUT_DOWN, 200, 330);
    press('d');
    for (char mode = '0'; mode <= '6'; ++mode) {
        press(mode);
        walk.steps(8);
        walk.frame(std::string("waves, mode ") + mode);
    }

    press('b');
    for (char mode : {'1', '2', '5', '0'}) {
        press(mode);
        walk.steps(2);
        walk.frame(std::string("grey, mode ") + mode);
    }
    press('c');
    press('4');
    walk.steps(3);
    walk.frame("colour again, mode 4");

    // Paused, every other mode's scale is the infinite one of an empty range.
    press('p');
    for (char mode = '0'; mode <= '6'; ++mode) {
        press(mode);
        walk.frame(std::string("paused, switched to mode ") + mode);
    }
    press('b');
    press('2');
    walk.frame("paused, grey, mode 2");
    press('c');
    press('1');
    press('d'); // heights outside the last step's range wrap once
    walk.frame("paused, drop, mode 1");
    const GlDrawState dropped = walk.state;
    EXPECT_EQ(dropped.shadeModel, GL_SMOOTH);
    // The first move only records the pointer; the second turns the camera (a
    // move of 20 pixels or more in one event would be dropped).
    motion(100, 100);
    motion(112, 108);
    walk.frame("paused, orbited");
    const GlDrawState orbited = walk.state;
    EXPECT_FALSE(std::equal(orbited.modelview, orbited.modelview + 16, dropped.modelview))
        << "the orbit did not move the camera";
    EXPECT_EQ(orbited.shadeModel, GL_SMOOTH);
    press('f');
    walk.frame("paused, flat shading");
    EXPECT_EQ(walk.state.shadeModel, GL_FLAT) << "'f' did not reach the surface";
    EXPECT_TRUE(std::equal(orbited.modelview, orbited.modelview + 16, walk.state.modelview))
        << "'f' moved the camera";
    press('s');
    press('r');
    walk.frame("paused, reset, mode 1");
    EXPECT_EQ(walk.state.shadeModel, GL_SMOOTH) << "'s' did not reach the surface";
    press('p');
    walk.steps(1);
    walk.frame("running again, mode 1");

    if (!walk.recording) {
        EXPECT_EQ(walk.next, sizeof PINNED / sizeof PINNED[0]);
    }
    press('0');
}
