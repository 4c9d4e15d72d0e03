#pragma once

#include "app/program.h"

// The GL state that never changes after start-up: depth test, back-face culling
// with clockwise fronts, smooth shading, normalised normals, lighting with the one
// directional light 0 (at the view's light position), the perspective hint and
// the clear colour.
void setFixedGlState(View& view);
