#pragma once

// What both programs share on the command line: the --version text, the way a
// bad command line is reported, and a last check that standard output was written.

#include <string>

// "PROGRAM (Ripplemoor) VERSION", the copyright and the licence, on standard output.
void printVersion(const char* program);

// "PROGRAM: MESSAGE" and "Try 'PROGRAM --help'." on standard error; exit status 2.
[[noreturn]] void badCommandLine(const char* program, const std::string& message);

// Flushes standard output. 0 when everything written reached it; else prints
// "PROGRAM: write error: REASON" on standard error and gives 1. After a write
// that failed, call it before anything else can change errno: that is the reason.
int finishOutput(const char* program);
