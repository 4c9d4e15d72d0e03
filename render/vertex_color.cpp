#include "render/vertex_color.h"

#include <GL/gl.h>

#include "render/vertex_attributes.h"

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

float colorParameter(const ColorInputs& colors, size_t vertex)
{
    if (colors.quantity == nullptr)
        return PLAIN_COLOR_PARAMETER;
    return float((double(colors.quantity[vertex]) - double(colors.minimum)) * double(colors.scale));
}

VertexColor vertexColor(const ColorInputs& colors, size_t vertex)
{
    const float t = colorParameter(colors, vertex);
    VertexColor c;
    c.red = hueChannel(float(t + colors.redOffset));
    c.green = hueChannel(t);
    c.blue = hueChannel(float(t + colors.blueOffset));
    return c;
}

void setVertexColor(const ColorInputs& colors, size_t vertex)
{
    const VertexColor c = vertexColor(colors, vertex);
    glColor3f(c.red, c.green, c.blue);
}
