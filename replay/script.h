#pragma once

// The replay tool's scripts as text: lines, the words on them, and the numbers
// those words hold. Kept apart from the commands so that the fuzzer can feed it.

#include <cstdio>
#include <string>
#include <vector>

// A bad line: defined by each program that reads scripts (the replay tool prints
// "FILE:LINE: what" and exits with status 2).
[[noreturn]] void scriptError(long line, const std::string& what);

struct Script {
    FILE* in = nullptr;
    long lineNumber = 0;
};

// Reads one line, without its newline; false at the end of the script. A last
// line without a newline still counts. A NUL byte is an error, since nothing
// after it would be seen.
bool readLine(Script& script, std::string& line);

// The words of a line, split at spaces, tabs and carriage returns (so CRLF
// scripts read as their LF twins).
std::vector<std::string> splitWords(const std::string& line);

// A command word and its arguments, with the line they came from for messages.
class Command {
public:
    Command(long line, std::vector<std::string> words) : line_(line), words_(std::move(words)) {}

    const std::string& name() const { return words_[0]; }
    const std::string& word(size_t k) const { return words_[k]; }
    long line() const { return line_; }
    size_t argumentCount() const { return words_.size() - 1; }

    // Checks the number of arguments after the command word.
    void expectArguments(size_t count) const;

    // Word k as a decimal integer in [lo, hi]: an optional sign and digits only.
    long long integer(size_t k, long long lo, long long hi, const char* what) const;

    // Word k as strtof reads it: hex floats are exact, inf and nan are accepted, and
    // a value beyond the float range becomes what strtof gives (infinity or a denormal).
    float real(size_t k, const char* what) const;

    // Word k as strtod reads it, for the settings that the solver keeps in double.
    double realDouble(size_t k, const char* what) const;

private:
    template <typename Real>
    Real number(size_t k, const char* what, Real (*parse)(const char*, char**)) const;

    long line_;
    std::vector<std::string> words_;
};
