#pragma once

#include "app/state.h"

// AVX-512 versions of the solver stages, bit-identical to the portable ones. Call
// them only when the AVX-512 path is active; the callers have already checked their
// arguments.
void sampleDeparturesAvx512(const Field& f, int kind); // fills the interior of scratch
void updateHeightInteriorAvx512(int mode); // the interior pass of updateHeight
void updateVelocitiesAvx512();
