#pragma once

// A plain transcription of the step, built at -O2 without any of the solver's
// speed work: the baseline that the benchmark compares against.
namespace reference {
void simulationStep();
}
