#pragma once

// The solver stages have three implementations that give identical bits: a plain
// portable one, an AVX2 one that works four cells at a time and an AVX-512 one that
// works eight at a time. The widest path the processor has is taken; tests and
// benchmarks switch between them.

enum class SolverPath { Portable, Avx2, Avx512 };

bool solverPathAvailable(SolverPath path);
SolverPath activeSolverPath();
SolverPath fastestSolverPath();

// Selects a path; one the processor lacks gives the widest available path below it.
void useSolverPath(SolverPath path);

const char* solverPathName(SolverPath path);
