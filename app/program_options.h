#pragma once

// The command line of ripplemoor: GLUT's own options, --help and --version.

// Before anything else (no display is needed): answers --help and --version and
// exits 0, and refuses, with status 2, what GLUT would not take.
void readCommandLine(int argc, char** argv);

// After glutInit, which removed its options from argv: anything left is refused
// with status 2 (a GLUT option that readCommandLine does not know of).
void refuseLeftoverArguments(int argc, char** argv);
