#include "render/vertex_color.h"

#include <GL/gl.h>

#include "app/state.h"

float hueChannel(float t)
{
    if (t > 1.0)
        t = float(t - 1.0);
    if (t < 0.0)
        t = float(t + 1.0);

    if (t < 0.5) {
        if (t < 1.0 / 6.0)
            return float(6.0 * t);
        return 1.0f;
    }
    if (t < 2.0 / 3.0)
        return float(1.0 - (t - 0.5) * 6.0);
    return 0.0f;
}

float colorParameter(unsigned cell)
{
    const ModeQuantity* q = quantityOfMode(colorMode);
    if (q == nullptr)
        return 0.64f; // mode 0, and the plain colour for anything unknown
    return float((double((basin.*q->field)[cell]) - double(basin.*q->min)) * double(basin.*q->scale));
}

VertexColor vertexColor(unsigned cell)
{
    const float t = colorParameter(cell);
    VertexColor c;
    c.red = hueChannel(float(t + colorOffsets[0]));
    c.green = hueChannel(t);
    c.blue = hueChannel(float(t + colorOffsets[1]));
    return c;
}

void setVertexColor(unsigned cell)
{
    const VertexColor c = vertexColor(cell);
    glColor3f(c.red, c.green, c.blue);
}
