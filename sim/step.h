#pragma once

// One fixed simulation step of a basin (Basin::step), in this order; the pinned
// hashes depend on it:
// 1. advect(h, ADVECT_H): h from h, along u and v as the step found them;
// 2. advect(u, ADVECT_U): u from u, along u and v as the step found them;
// 3. advect(v, ADVECT_V): v from v, along the u that step 2 has just written and
//    the v the step found. A field never feeds its own samples: the step's
//    advections write into buffers of their own (h's into scratch, u's and v's
//    into the basin's private ones, whose border rows and columns are the
//    field's), and steps 4 and 5 read them where the field would have held
//    them, writing h, u and v themselves; nothing is copied back. advect()
//    alone samples into scratch and copies back.
// 4. updateHeight: h and heightChange from the divergence of u and v, the colour
//    mode's fields and range, then all six scales;
// 5. updateVelocities: u and v from the gradient of the new h;
// 6. applyBoundaries: the border of h from its inner neighbours.
// Walls (walls.h) close faces after steps 2, 3 and 5 and drain after step 6.
// The wave tank's parts, each skipped when not in use: the bed (bed.h) is checked
// first and enters step 5 as the surface's gradient; after step 5 the sources
// (sources.h) add their increments and the sponge (sponge.h) relaxes its layer;
// the gauges (gauges.h) record after step 6.
//
// Rounding: every formula is evaluated in double and rounded to float where it
// is stored. A single operation on two floats rounds to the same float as the
// same operation in double (53 >= 2 x 24 + 2 bits), so such steps are written in
// float; longer formulas widen their first operand or load double locals, once.
//
// Every stage other than the boundary copy exists twice behind one signature
// (stages.h): the portable loops and a Highway kernel, chosen once per step
// (a StagePath) by the vector target in force (simd/targets.h) and the basin's
// width. Each stage runs its
// rows in bands, one per thread (bands.h); no cell depends on another's result
// within a stage, so neither the path nor the thread count changes a bit.
