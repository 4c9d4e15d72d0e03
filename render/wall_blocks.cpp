#include "render/wall_blocks.h"

#include <GL/gl.h>

#include "sim/basin.h"

namespace {

// One face: its normal and four corners.
void face(float nx, float ny, float nz, const float (&corners)[4][3])
{
    glNormal3f(nx, ny, nz);
    for (const auto& c : corners)
        glVertex3f(c[0], c[1], c[2]);
}

// The block over cells x0..x1 of row y: cell (x, y) is drawn around (x, ., y).
void block(int x0, int x1, int y, float top, float b)
{
    const float l = float(x0) - 0.5f, r = float(x1) + 0.5f;
    const float n = float(y) - 0.5f, f = float(y) + 0.5f;
    face(0, 1, 0, {{l, top, n}, {r, top, n}, {r, top, f}, {l, top, f}});
    face(0, 0, -1, {{l, b, n}, {r, b, n}, {r, top, n}, {l, top, n}});
    face(0, 0, 1, {{l, b, f}, {l, top, f}, {r, top, f}, {r, b, f}});
    face(-1, 0, 0, {{l, b, n}, {l, top, n}, {l, top, f}, {l, b, f}});
    face(1, 0, 0, {{r, b, n}, {r, b, f}, {r, top, f}, {r, top, n}});
}

void compile(const Basin& basin, WallBlocks& blocks)
{
    blocks.drawn = basin.walls;
    blocks.any = false;
    for (uint8_t w : basin.walls)
        blocks.any = blocks.any || w != 0;
    if (!blocks.any)
        return;
    if (blocks.list == 0)
        blocks.list = glGenLists(1);
    const float top = float(wallTop(basin));
    // A slab: deep enough below the surface for the lowest trough a drop makes.
    const float bottom = float(100.0 * double(basin.config().restHeight) * 0.75);
    glNewList(blocks.list, GL_COMPILE);
    glBegin(GL_QUADS);
    for (int y = 0; y < basin.height(); ++y) {
        const uint8_t* row = basin.walls.data() + size_t(y) * size_t(basin.width());
        for (int x = 0; x < basin.width();) {
            if (row[x] == 0) {
                ++x;
                continue;
            }
            int end = x;
            while (end + 1 < basin.width() && row[end + 1] != 0)
                ++end;
            block(x, end, y, top, bottom);
            x = end + 1;
        }
    }
    glEnd();
    glEndList();
}

} // namespace

double wallTop(const Basin& basin) { return 100.0 * double(basin.config().restHeight) * 1.08; }

void wallColor(const double offsets[2], float rgb[3])
{
    const bool grey = offsets[0] == offsets[1];
    rgb[0] = grey ? 0.8f : 0.62f;
    rgb[1] = grey ? 0.8f : 0.56f;
    rgb[2] = grey ? 0.8f : 0.48f;
}

void drawWalls(const Basin& basin, const double offsets[2], WallBlocks& blocks)
{
    if (blocks.drawn != basin.walls)
        compile(basin, blocks);
    if (!blocks.any)
        return;
    float rgb[3];
    wallColor(offsets, rgb);
    // Every face is drawn, so which way round they wind does not matter.
    glDisable(GL_CULL_FACE);
    glColor3f(rgb[0], rgb[1], rgb[2]);
    glCallList(blocks.list);
    glEnable(GL_CULL_FACE);
}
