#pragma once

// The cell under a window pixel, found through the camera: the ray from the eye
// through the pixel's centre meets the plane of the water at rest. GL-free; the
// projection is the one every frame uses (render/camera.h).

#include "render/camera.h"

struct PickedCell {
    bool hit; // false when the ray runs level with the plane or away from it
    int x, y;
};

// The pixel (px, py), origin top-left, of a windowWidth x windowHeight window,
// onto the plane Y = level; the cell is the one whose drawn vertex lies nearest.
// Uses the camera's current angles and radius, as its next Apply will.
PickedCell pickCell(const Camera& camera, int windowWidth, int windowHeight, double level, int px, int py);
