#include "app/command_line.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#ifndef RIPPLEMOOR_VERSION
#error "RIPPLEMOOR_VERSION must be the project's version"
#endif

void printVersion(const char* program)
{
    std::printf("%s (Ripplemoor) %s\n"
                "Copyright (C) 2026 The Ripplemoor developers\n"
                "License MIT: <https://opensource.org/licenses/MIT>\n"
                "This is free software: you are free to change and redistribute it.\n"
                "There is NO WARRANTY, to the extent permitted by law.\n",
                program, RIPPLEMOOR_VERSION);
}

void badCommandLine(const char* program, const std::string& message)
{
    std::fflush(stdout);
    std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", program, message.c_str(), program);
    std::exit(2);
}

int finishOutput(const char* program)
{
    // Called straight after a write that failed, errno still holds its reason: the
    // flush below may find nothing left to write and succeed.
    const int earlier = std::ferror(stdout) ? errno : 0;
    errno = 0;
    const bool flushed = std::fflush(stdout) == 0;
    const int reason = flushed || errno == 0 ? earlier : errno;
    if (flushed && !std::ferror(stdout))
        return 0;
    if (reason != 0)
        std::fprintf(stderr, "%s: write error: %s\n", program, std::strerror(reason));
    else
        std::fprintf(stderr, "%s: write error\n", program);
    return 1;
}
