#pragma once

#include "app/state.h"

// AVX2 versions of the solver stages, bit-identical to the portable ones. Call them
// only when the AVX2 path is active; the callers have already checked their arguments.
void sampleDeparturesAvx2(const Field& f, int kind); // fills the interior of scratch
void updateHeightInteriorAvx2(int mode); // the interior pass of updateHeight
void updateVelocitiesAvx2();
