#include "per_vertex_surface.h"

#include <gtest/gtest.h>

#include <GL/gl.h>
#include <cstdio>

#include "support/program_names.h"
#include "render/surface.h"
#include "render/vertex_color.h"

namespace {

void sendVertexPerVertex(int x, int r)
{
    setVertexColor(colorInputs(basin, colorOffsets), unsigned(cellIndex(x, r)));
    glVertex3f(float(x), float(scaledHeight(gridOf(basin), x, r)), float(r));
}

void sendNormalPerVertex(const SurfaceNormal& n)
{
    glNormal3f(float(n.x), float(n.y), float(n.z));
}

std::string describe(const GlCall& c)
{
    static const char* names[] = {"?", "glBegin", "glEnd", "glColor3f", "glNormal3f", "glVertex3f"};
    char text[128];
    std::snprintf(text, sizeof text, "%s(%08x, %08x, %08x)", names[c.op <= 5 ? c.op : 0], c.args[0],
                  c.args[1], c.args[2]);
    return text;
}

} // namespace

void drawSurfacePerVertex()
{
    for (int y = FIRST_STRIP_ROW; y <= LAST_STRIP_ROW; ++y) {
        glBegin(GL_TRIANGLE_STRIP);
        sendVertexPerVertex(0, y + 1);
        sendVertexPerVertex(0, y);
        for (int x = 1; x < GRID_SIZE; ++x) {
            setVertexColor(colorInputs(basin, colorOffsets), unsigned(cellIndex(x, y + 1)));
            sendNormalPerVertex(upperNormal(gridOf(basin), x, y));
            glVertex3f(float(x), float(scaledHeight(gridOf(basin), x, y + 1)), float(y + 1));
            setVertexColor(colorInputs(basin, colorOffsets), unsigned(cellIndex(x, y)));
            sendNormalPerVertex(lowerNormal(gridOf(basin), x, y));
            glVertex3f(float(x), float(scaledHeight(gridOf(basin), x, y)), float(y));
        }
        glEnd();
    }
}

std::vector<GlCall> loggedCalls(void (*draw)())
{
    startGlCallLog();
    draw();
    return stopGlCallLog();
}

void expectSameCalls(const std::vector<GlCall>& got, const std::vector<GlCall>& want, const std::string& frame)
{
    ASSERT_EQ(got.size(), want.size()) << frame;
    for (size_t i = 0; i < got.size(); ++i)
        ASSERT_TRUE(got[i] == want[i]) << frame << ": call " << i << " is " << describe(got[i])
                                       << ", the per-vertex drawing sent " << describe(want[i]);
}

// The vertex calls of one surface: 158 strips of 320 vertices, each with a colour,
// all but the opening pairs with a normal.
void expectStripShape(const std::vector<GlCall>& calls)
{
    size_t counts[6] = {};
    for (const GlCall& c : calls)
        ++counts[c.op <= 5 ? c.op : 0];
    EXPECT_EQ(counts[GL_OP_BEGIN], 158u);
    EXPECT_EQ(counts[GL_OP_END], 158u);
    EXPECT_EQ(counts[GL_OP_VERTEX3F], 50560u);
    EXPECT_EQ(counts[GL_OP_COLOR3F], 50560u);
    EXPECT_EQ(counts[GL_OP_NORMAL3F], 50244u);
    EXPECT_EQ(counts[0], 0u);
}

