#pragma once

// A program run through the shell with its standard output and error sent to
// files, for the tests that drive the command-line tools.

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

struct CommandRun {
    int status = -1; // the exit status, -1 when it did not exit
    std::string out, err;
};

inline std::string readWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Runs command with "> outPath 2> errPath" appended and reads both back.
inline CommandRun runCommand(const std::string& command, const std::string& outPath, const std::string& errPath)
{
    CommandRun run;
    const int raw = std::system((command + " > " + outPath + " 2> " + errPath).c_str());
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = readWholeFile(outPath);
    run.err = readWholeFile(errPath);
    return run;
}
