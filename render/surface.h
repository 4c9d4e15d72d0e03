#pragma once

// The water surface: 158 lit triangle strips built from h. The per-vertex values
// are kept from one frame to the next and rebuilt only when what they are formed
// from changed.

constexpr int FIRST_STRIP_ROW = 1;   // row 0 is never drawn
constexpr int LAST_STRIP_ROW = 158;  // strip y joins rows y and y + 1
constexpr double HEIGHT_SCALE = 100.0;

struct SurfaceNormal {
    double x, y, z;
};

// Drawn height of cell (x, r): 100 * h, in double.
double scaledHeight(int x, int r);

// (-dX, 1, -dZ) scaled to unit length; dX and dZ are height steps over one cell.
SurfaceNormal normalFromSlopes(double dX, double dZ);

// Normal sent with the upper vertex (x, y + 1) of strip y, for x >= 1.
SurfaceNormal upperNormal(int x, int y);

// Normal sent with the lower vertex (x, y) of strip y, for x >= 1.
SurfaceNormal lowerNormal(int x, int y);

// Sends the strips in immediate mode with per-vertex colours and normals from
// the vertex attributes kept from the last frame. First rebuilds the heights and
// normals if fieldsRevision moved, and the colours if the colour mode, the
// offsets, the mode's minimum or scale or (where the mode reads a field)
// fieldsRevision changed.
void drawSurface();

// How often drawSurface has rebuilt each part of the vertex attributes.
struct SurfaceRebuilds {
    long geometry = 0;
    long colors = 0;
};
SurfaceRebuilds surfaceRebuilds();
