#include "render/surface.h"

#include <GL/gl.h>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "sim/basin.h"

double scaledHeight(const MeshGrid& g, int x, int r)
{
    return HEIGHT_SCALE * g.h[size_t(x) + size_t(r) * size_t(g.width)];
}

SurfaceNormal normalFromSlopes(double dX, double dZ)
{
    // The grid spacing is 1, so the length is at least 1 and never zero.
    const double len = std::sqrt(dX * dX + 1.0 + dZ * dZ);
    const double r = 1.0 / len;
    return SurfaceNormal{-dX * r, r, -dZ * r};
}

SurfaceNormal upperNormal(const MeshGrid& g, int x, int y)
{
    const double dX = scaledHeight(g, x, y + 1) - scaledHeight(g, x - 1, y + 1);
    const double dZ = scaledHeight(g, x - 1, y + 1) - scaledHeight(g, x - 1, y);
    return normalFromSlopes(dX, dZ);
}

SurfaceNormal lowerNormal(const MeshGrid& g, int x, int y)
{
    const double dX = scaledHeight(g, x, y) - scaledHeight(g, x - 1, y);
    const double dZ = scaledHeight(g, x, y + 1) - scaledHeight(g, x, y);
    return normalFromSlopes(dX, dZ);
}

int meshStride(int width, int height)
{
    const int side = std::max(width, height);
    return side <= MESH_SIDE_LIMIT ? 1 : (side + MESH_SIDE_LIMIT - 1) / MESH_SIDE_LIMIT;
}

namespace {

// The heights the mesh is drawn from: h, but where there are walls, whose cells
// hold no water, those cells at the rest height, so that the water meets the
// blocks level instead of falling into a pit under each.
const float* drawnHeights(const Basin& basin, SurfaceCache& c)
{
    if (std::find_if(basin.walls.begin(), basin.walls.end(), [](uint8_t w) { return w != 0; }) == basin.walls.end())
        return basin.h.data();
    c.levelledHeights.assign(basin.h.begin(), basin.h.end());
    const float rest = basin.config().restHeight;
    for (size_t cell = 0; cell < basin.walls.size(); ++cell) {
        if (basin.walls[cell] != 0)
            c.levelledHeights[cell] = rest;
    }
    return c.levelledHeights.data();
}

// Point samples: vertex (i, j) of the mesh is cell (i * stride, j * stride).
void sample(const float* field, const Basin& basin, const SurfaceCache& c, std::vector<float>& out)
{
    for (int j = 0; j < c.height; ++j) {
        const float* row = field + size_t(j) * size_t(c.stride) * size_t(basin.width());
        float* to = out.data() + size_t(j) * size_t(c.width);
        for (int i = 0; i < c.width; ++i)
            to[i] = row[size_t(i) * size_t(c.stride)];
    }
}

// A new basin, or one of another size: everything is built afresh.
void fitCache(SurfaceCache& c, const Basin& basin)
{
    if (c.basin == &basin && c.basinWidth == basin.width() && c.basinHeight == basin.height())
        return;
    c.basin = &basin;
    c.basinWidth = basin.width();
    c.basinHeight = basin.height();
    c.stride = meshStride(basin.width(), basin.height());
    c.width = (basin.width() - 1) / c.stride + 1;
    c.height = (basin.height() - 1) / c.stride + 1;
    const size_t vertices = size_t(c.width) * size_t(c.height);
    sizeVertexAttributes(c.attributes, vertices);
    c.sampledHeights.assign(c.stride > 1 ? vertices : 0, 0.0f);
    c.sampledQuantity.assign(c.stride > 1 ? vertices : 0, 0.0f);
    c.geometryBuilt = c.colorsBuilt = false;
}

ColorKey colorKeyOf(const Basin& basin, const ColorInputs& c)
{
    ColorKey key;
    key.revision = c.quantity != nullptr ? basin.revision : 0;
    key.mode = basin.colorMode;
    key.offsets[0] = c.redOffset;
    key.offsets[1] = c.blueOffset;
    key.minimum = c.minimum;
    key.scale = c.scale;
    return key;
}

} // namespace

const VertexAttributes& surfaceAttributes(SurfaceCache& c, const Basin& basin, const double offsets[2])
{
    fitCache(c, basin);
    const bool sampled = c.stride > 1;
    MeshGrid grid = gridOf(basin);
    if (sampled)
        grid = MeshGrid{c.sampledHeights.data(), c.width, c.height};
    if (!c.geometryBuilt || c.geometryRevision != basin.revision) {
        const float* heights = drawnHeights(basin, c);
        if (sampled)
            sample(heights, basin, c, c.sampledHeights);
        else
            grid.h = heights;
        buildSurfaceGeometry(grid, c.attributes);
        c.geometryRevision = basin.revision;
        c.geometryBuilt = true;
    }
    ColorInputs colors = colorInputs(basin, offsets);
    const ColorKey key = colorKeyOf(basin, colors);
    if (!c.colorsBuilt || std::memcmp(&key, &c.colorKey, sizeof key) != 0) {
        if (sampled && colors.quantity != nullptr) {
            sample(colors.quantity, basin, c, c.sampledQuantity);
            colors.quantity = c.sampledQuantity.data();
        }
        buildSurfaceColors(grid, colors, c.attributes);
        c.colorKey = key;
        c.colorsBuilt = true;
    }
    return c.attributes;
}

namespace {

enum class VertexNormal { none, upper, lower };

// The one way a vertex is sent: its colour, its normal if it has one, its position.
inline void sendVertex(const VertexAttributes& a, int width, int x, int r, VertexNormal normal)
{
    const size_t vertex = size_t(x) + size_t(r) * size_t(width);
    glColor3f(a.red[vertex], a.green[vertex], a.blue[vertex]);
    if (normal == VertexNormal::upper)
        glNormal3f(a.upper.x[vertex], a.upper.y[vertex], a.upper.z[vertex]);
    else if (normal == VertexNormal::lower)
        glNormal3f(a.lower.x[vertex], a.lower.y[vertex], a.lower.z[vertex]);
    glVertex3f(float(x), a.height[vertex], float(r));
}

void drawStrip(const VertexAttributes& a, int width, int y)
{
    glBegin(GL_TRIANGLE_STRIP);
    // The opening pair completes no triangle, so it carries no normal of its own.
    sendVertex(a, width, 0, y + 1, VertexNormal::none);
    sendVertex(a, width, 0, y, VertexNormal::none);
    for (int x = 1; x < width; ++x) {
        sendVertex(a, width, x, y + 1, VertexNormal::upper);
        sendVertex(a, width, x, y, VertexNormal::lower);
    }
    glEnd();
}

} // namespace

void drawSurface(const Basin& basin, const double offsets[2], SurfaceCache& cache)
{
    const VertexAttributes& a = surfaceAttributes(cache, basin, offsets);
    const int lastStrip = cache.height - 2;
    // With GL_NORMALIZE on, the scale also leans the normals by the stride: the
    // slopes they were formed from span stride cells, not one.
    if (cache.stride > 1) {
        glPushMatrix();
        glScaled(cache.stride, 1.0, cache.stride);
    }
    for (int y = FIRST_STRIP_ROW; y <= lastStrip; ++y)
        drawStrip(a, cache.width, y);
    if (cache.stride > 1)
        glPopMatrix();
}
