#pragma once

// The solver stages have two implementations that give identical bits: a plain
// portable one, and an AVX2 one that works four cells at a time. The AVX2 path is
// taken where the processor has it; tests and benchmarks switch between them.

bool avx2SolverAvailable();
bool avx2SolverActive();

// Selects the AVX2 path (true) or the portable path (false). Asking for AVX2 where
// it is unavailable keeps the portable path.
void useAvx2Solver(bool on);
