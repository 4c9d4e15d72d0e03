#pragma once

#include "sim/basin.h"

// Height change from the velocity divergence, plus the derived field and range of
// the colour mode in force (solid cells left out), then all six scales.
void updateHeight(Basin& basin);
