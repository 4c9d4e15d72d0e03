#include "render/overlay.h"

#include <GL/glu.h>
#include <GL/glut.h>

#include <cstdio>

namespace {

// What each colour mode shows, by mode.
const char* const MODE_MEANINGS[MODE_COUNT] = {
    "plain water colour",
    "water height",
    "rate of change of height",
    "its acceleration",
    "squared speed of the flow",
    "direction of the flow",
    "energy product",
};

const char* const KEYS[] = {
    "Keys: h this help  p pause  r water to rest  w clear walls",
    "      d drop  0-6 colour mode  b grey  c colour  f flat  s smooth",
    "      Esc quit",
    "Mouse: left drag orbit  right drag zoom  middle drop",
    "       Shift+left drag paint walls  Ctrl+left drag rub walls out",
};

constexpr int LINE_PIXELS = 15; // GLUT_BITMAP_9_BY_15
constexpr int MARGIN = 8;

} // namespace

std::vector<std::string> overlayLines(const Program& program)
{
    const Basin& basin = program.basin;
    const View& view = program.view;
    char text[160];
    std::vector<std::string> lines;
    std::snprintf(text, sizeof text, "Basin %d x %d, %d thread%s, %.0f steps/s%s", basin.width(), basin.height(),
                  basin.threads(), basin.threads() == 1 ? "" : "s", view.paused ? 0.0 : view.stepRate.perSecond,
                  view.paused ? " (paused: p to run)" : "");
    lines.push_back(text);
    const ColorMode mode = basin.colorMode;
    const bool known = mode >= FIRST_MODE && mode <= LAST_MODE;
    std::snprintf(text, sizeof text, "Colour mode %d: %s%s", mode, known ? MODE_MEANINGS[mode] : "plain water colour",
                  view.colorOffsets[0] == view.colorOffsets[1] ? ", in grey tones" : "");
    lines.push_back(text);
    std::snprintf(text, sizeof text, "Pen: %d cells wide", 2 * view.pen.radius + 1);
    lines.push_back(text);
    for (const char* line : KEYS)
        lines.push_back(line);
    return lines;
}

void drawOverlay(const Program& program)
{
    const std::vector<std::string> lines = overlayLines(program);
    const int width = program.view.windowWidth > 0 ? program.view.windowWidth : 1;
    const int height = program.view.windowHeight > 0 ? program.view.windowHeight : 1;

    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    // Window pixels, origin top-left.
    gluOrtho2D(0.0, width, height, 0.0);
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    const int bottom = MARGIN + LINE_PIXELS * int(lines.size()) + 6;
    glColor4f(1.0f, 1.0f, 1.0f, 0.75f);
    glRecti(MARGIN - 4, MARGIN - 4, width - MARGIN + 4, bottom);
    glColor3f(0.0f, 0.0f, 0.0f);
    for (size_t k = 0; k < lines.size(); ++k) {
        glRasterPos2i(MARGIN, MARGIN + LINE_PIXELS * int(k + 1) - 3);
        for (char c : lines[k])
            glutBitmapCharacter(GLUT_BITMAP_9_BY_15, c);
    }

    glPopAttrib();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}
