#pragma once

#include "sim/basin.h"

namespace ripplemoor {
struct StagePath;
}

// Height change from the velocity divergence, plus the derived field and range of
// the colour mode in force (solid cells left out), then all six scales.
void updateHeight(Basin& basin);

// The step's form, on the path the step chose: the heights start from hIn and the
// divergence is that of (u, v), each the basin's own field where null.
void updateHeight(Basin& basin, const ripplemoor::StagePath& path, const float* hIn, const float* u, const float* v);
