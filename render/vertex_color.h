#pragma once

// Colour of a water vertex from the current colour mode, on a hue circle.

#include <cstddef>

struct ColorInputs;

struct VertexColor {
    float red, green, blue;
};

// The hue circle, for hueChannel and the vector pass alike: a channel rises from
// 0 to 1 over [0, 1/6], stays 1 up to 1/2, falls back to 0 by 2/3 and stays 0.
constexpr double HUE_RISE_END = 1.0 / 6.0;
constexpr double HUE_FALL_START = 0.5;
constexpr double HUE_FALL_END = 2.0 / 3.0;
constexpr double HUE_SLOPE = 6.0;

// The position on the circle of the plain colour (mode 0, and any unknown mode).
constexpr float PLAIN_COLOR_PARAMETER = 0.64f;

// One channel of a fully saturated hue circle at position t. Wraps t once into
// [0, 1]; values further out are not wrapped again.
float hueChannel(float t);

// Position on the hue circle of a vertex under the mode's quantity and the range
// of the last step (render/vertex_attributes.h). GL-free.
float colorParameter(const ColorInputs& colors, size_t vertex);

// The three channels for a vertex, red and blue shifted by the offsets. GL-free.
VertexColor vertexColor(const ColorInputs& colors, size_t vertex);

// Sets the current GL colour to vertexColor(colors, vertex).
void setVertexColor(const ColorInputs& colors, size_t vertex);
