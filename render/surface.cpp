#include "render/surface.h"

#include <GL/gl.h>
#include <cmath>

#include "app/state.h"
#include "render/vertex_color.h"

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

void sendVertex(int x, int r)
{
    setVertexColor(unsigned(cellIndex(x, r)));
    glVertex3f(float(x), float(scaledHeight(x, r)), float(r));
}

void sendNormal(const SurfaceNormal& n)
{
    glNormal3f(float(n.x), float(n.y), float(n.z));
}

void drawStrip(int y)
{
    glBegin(GL_TRIANGLE_STRIP);
    // The opening pair completes no triangle, so it carries no normal of its own.
    sendVertex(0, y + 1);
    sendVertex(0, y);
    for (int x = 1; x < GRID_SIZE; ++x) {
        setVertexColor(unsigned(cellIndex(x, y + 1)));
        sendNormal(upperNormal(x, y));
        glVertex3f(float(x), float(scaledHeight(x, y + 1)), float(y + 1));

        setVertexColor(unsigned(cellIndex(x, y)));
        sendNormal(lowerNormal(x, y));
        glVertex3f(float(x), float(scaledHeight(x, y)), float(y));
    }
    glEnd();
}

} // namespace

void drawSurface()
{
    for (int y = FIRST_STRIP_ROW; y <= LAST_STRIP_ROW; ++y)
        drawStrip(y);
}
