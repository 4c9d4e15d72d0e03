#pragma once

#include <vector>

// What the surface strips send for each vertex, worked out for the whole grid in
// one pass before the strips are sent. Element x + 160 * r belongs to cell (x, r).
// The values are exactly the floats the GL receives.
struct VertexAttributes {
    std::vector<float> height;                 // Y of the vertex: 100 * h, rounded once
    std::vector<float> red, green, blue;       // its colour
    std::vector<float> upperX, upperY, upperZ; // normal as the upper vertex of strip r - 1
    std::vector<float> lowerX, lowerY, lowerZ; // normal as the lower vertex of strip r
};

// What the colours are formed from: the current mode's field (null for the plain
// colour), its minimum and scale, and the red and blue offsets.
struct ColorInputs {
    const float* quantity;
    float minimum;
    float scale;
    double redOffset;
    double blueOffset;
};

// Read from colorMode, colorOffsets and the range variables.
ColorInputs currentColorInputs();

// Every array CELL_COUNT long; the only allocation the surface ever makes.
void sizeVertexAttributes(VertexAttributes& a);

// The reference pass: the per-vertex functions of vertex_color and surface, one
// cell at a time. Fills rows 1 to 159; normals for columns 1 to 159.
void buildVertexAttributesPortable(VertexAttributes& a);

// The pass the active choice (vertex_path.h) names: the portable one or the
// vector kernel on one target. Same bits either way.
void buildVertexAttributes(VertexAttributes& a);
