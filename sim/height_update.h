#pragma once

// Height change from the velocity divergence, plus the derived field and range of
// the colour mode in force, then all six scales.
void updateHeight();
