#pragma once

// Colour of a water vertex from the current colour mode, on a hue circle.

struct VertexColor {
    float red, green, blue;
};

// One channel of a fully saturated hue circle at position t. Wraps t once into
// [0, 1]; values further out are not wrapped again.
float hueChannel(float t);

// Position on the hue circle of a cell under the current colorMode and the
// range variables of the last step. GL-free.
float colorParameter(unsigned cell);

// The three channels for a cell, red and blue shifted by colorOffsets. GL-free.
VertexColor vertexColor(unsigned cell);

// Sets the current GL colour to vertexColor(cell).
void setVertexColor(unsigned cell);
