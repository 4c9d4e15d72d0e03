#pragma once

// sin(2 pi turns) from IEEE double additions and multiplications only, in a fixed
// order: the same bits on every processor and compiler (with contraction off),
// unlike the C library's sin, whose last bit differs between libraries and
// between its FMA and plain code paths. Accurate to about 1e-15.
double sineOfTurns(double turns);
