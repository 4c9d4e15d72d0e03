#include "render/vertex_color.h"

#include <GL/gl.h>

#include "app/state.h"

float hueChannel(float t)
{
    if (t > 1.0)
        t = float(t - 1.0);
    if (t < 0.0)
        t = float(t + 1.0);

    if (t < HUE_FALL_START) {
        if (t < HUE_RISE_END)
            return float(HUE_SLOPE * t);
        return 1.0f;
    }
    if (t < HUE_FALL_END)
        return float(1.0 - (t - HUE_FALL_START) * HUE_SLOPE);
    return 0.0f;
}

float colorParameter(unsigned cell)
{
    const ModeQuantity* q = quantityOfMode(colorMode);
    if (q == nullptr)
        return PLAIN_COLOR_PARAMETER;
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
