#include "render/surface.h"

#include <GL/gl.h>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "app/state.h"
#include "render/vertex_attributes.h"

double scaledHeight(int x, int r)
{
    return HEIGHT_SCALE * h[unsigned(cellIndex(x, r))];
}

SurfaceNormal normalFromSlopes(double dX, double dZ)
{
    // The grid spacing is 1, so the length is at least 1 and never zero.
    const double len = std::sqrt(dX * dX + 1.0 + dZ * dZ);
    const double r = 1.0 / len;
    return SurfaceNormal{-dX * r, r, -dZ * r};
}

SurfaceNormal upperNormal(int x, int y)
{
    const double dX = scaledHeight(x, y + 1) - scaledHeight(x - 1, y + 1);
    const double dZ = scaledHeight(x - 1, y + 1) - scaledHeight(x - 1, y);
    return normalFromSlopes(dX, dZ);
}

SurfaceNormal lowerNormal(int x, int y)
{
    const double dX = scaledHeight(x, y) - scaledHeight(x - 1, y);
    const double dZ = scaledHeight(x, y + 1) - scaledHeight(x, y);
    return normalFromSlopes(dX, dZ);
}

namespace {

// Everything the colours are formed from besides the fields' contents, which
// fieldsRevision stands for (and matters only where the mode reads a field).
// Compared bit for bit: a NaN scale is a value like any other.
struct ColorKey {
    uint64_t revision;
    int64_t mode;
    double offsets[2];
    float minimum, scale;
};
static_assert(sizeof(ColorKey) == 40, "no padding bits in the comparison");

ColorKey currentColorKey()
{
    const ColorInputs c = currentColorInputs();
    ColorKey key;
    key.revision = c.quantity != nullptr ? fieldsRevision : 0;
    key.mode = colorMode;
    key.offsets[0] = c.redOffset;
    key.offsets[1] = c.blueOffset;
    key.minimum = c.minimum;
    key.scale = c.scale;
    return key;
}

struct SurfaceCache {
    VertexAttributes attributes;
    bool geometryBuilt = false, colorsBuilt = false;
    uint64_t geometryRevision = 0;
    ColorKey colorKey{};
    SurfaceRebuilds rebuilds;
};

SurfaceCache& cache()
{
    static SurfaceCache c;
    return c;
}

const VertexAttributes& currentAttributes()
{
    SurfaceCache& c = cache();
    if (c.attributes.height.empty())
        sizeVertexAttributes(c.attributes);
    if (!c.geometryBuilt || c.geometryRevision != fieldsRevision) {
        buildSurfaceGeometry(c.attributes);
        c.geometryRevision = fieldsRevision;
        c.geometryBuilt = true;
        ++c.rebuilds.geometry;
    }
    const ColorKey key = currentColorKey();
    if (!c.colorsBuilt || std::memcmp(&key, &c.colorKey, sizeof key) != 0) {
        buildSurfaceColors(c.attributes);
        c.colorKey = key;
        c.colorsBuilt = true;
        ++c.rebuilds.colors;
    }
    return c.attributes;
}

enum class VertexNormal { none, upper, lower };

// The one way a vertex is sent: its colour, its normal if it has one, its position.
inline void sendVertex(const VertexAttributes& a, int x, int r, VertexNormal normal)
{
    const size_t cell = size_t(cellIndex(x, r));
    glColor3f(a.red[cell], a.green[cell], a.blue[cell]);
    if (normal == VertexNormal::upper)
        glNormal3f(a.upper.x[cell], a.upper.y[cell], a.upper.z[cell]);
    else if (normal == VertexNormal::lower)
        glNormal3f(a.lower.x[cell], a.lower.y[cell], a.lower.z[cell]);
    glVertex3f(float(x), a.height[cell], float(r));
}

void drawStrip(const VertexAttributes& a, int y)
{
    glBegin(GL_TRIANGLE_STRIP);
    // The opening pair completes no triangle, so it carries no normal of its own.
    sendVertex(a, 0, y + 1, VertexNormal::none);
    sendVertex(a, 0, y, VertexNormal::none);
    for (int x = 1; x < GRID_SIZE; ++x) {
        sendVertex(a, x, y + 1, VertexNormal::upper);
        sendVertex(a, x, y, VertexNormal::lower);
    }
    glEnd();
}

} // namespace

void drawSurface()
{
    const VertexAttributes& a = currentAttributes();
    for (int y = FIRST_STRIP_ROW; y <= LAST_STRIP_ROW; ++y)
        drawStrip(a, y);
}

SurfaceRebuilds surfaceRebuilds() { return cache().rebuilds; }
