#include "app/program_options.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/command_line.h"

namespace {

const char* const PROGRAM = "ripplemoor";

// freeglut's options on X11; glutInit takes them out of argv.
const char* const GLUT_OPTIONS_WITH_VALUE[] = {"-display", "-geometry"};
const char* const GLUT_FLAGS[] = {"-direct", "-indirect", "-iconic", "-gldebug", "-sync"};

bool isOneOf(const char* arg, const char* const* names, size_t count)
{
    for (size_t k = 0; k < count; ++k) {
        if (std::strcmp(arg, names[k]) == 0)
            return true;
    }
    return false;
}

void printHelp()
{
    std::printf(
        "Usage: %s [OPTION]...\n"
        "Simulate a basin of water in real time and draw it in a window.\n"
        "\n"
        "The sky picture skybox.tga is read from the current folder.\n"
        "\n"
        "X and GLUT options:\n"
        "  -display DISPLAY     open the window on the X display DISPLAY\n"
        "  -geometry GEOMETRY   place the window (+X+Y); its size stays 640x480\n"
        "  -direct              insist on a direct rendering context\n"
        "  -indirect            use an indirect rendering context\n"
        "  -iconic              start with the window iconified\n"
        "  -gldebug             report GL errors after every frame\n"
        "  -sync                make X calls synchronous\n"
        "\n"
        "      --help           display this help and exit\n"
        "      --version        output version information and exit\n"
        "\n"
        "Keys: d drop, middle button drop under the pointer, left drag orbit, right drag\n"
        "zoom, p pause, r rest, 0-6 colour modes, b/c grey/colour, f/s flat/smooth,\n"
        "Esc quit.\n"
        "\n"
        "Exit status: 0 after Esc, 1 if no display can be opened, 2 for a bad command\n"
        "line, 255 if skybox.tga is missing or unreadable.\n"
        "\n"
        "Full documentation: man ripplemoor\n",
        PROGRAM);
}

[[noreturn]] void refuse(const char* arg, bool isOption)
{
    if (isOption)
        badCommandLine(PROGRAM, std::string("unknown option '") + arg + "'");
    badCommandLine(PROGRAM, std::string("unexpected argument '") + arg + "'");
}

} // namespace

void readCommandLine(int argc, char** argv)
{
    const char* refused = nullptr;
    bool refusedOption = false;
    bool options = true;
    for (int k = 1; k < argc; ++k) {
        const char* arg = argv[k];
        if (!options || arg[0] != '-' || arg[1] == '\0') {
            // The program takes no operands.
            if (refused == nullptr)
                refused = arg;
            continue;
        }
        if (std::strcmp(arg, "--") == 0) {
            options = false;
            continue;
        }
        if (std::strcmp(arg, "--help") == 0) {
            printHelp();
            std::exit(finishOutput(PROGRAM));
        }
        if (std::strcmp(arg, "--version") == 0) {
            printVersion(PROGRAM);
            std::exit(finishOutput(PROGRAM));
        }
        if (isOneOf(arg, GLUT_OPTIONS_WITH_VALUE, 2)) {
            if (k + 1 == argc)
                badCommandLine(PROGRAM, std::string("option '") + arg + "' requires an argument");
            ++k;
        } else if (!isOneOf(arg, GLUT_FLAGS, 5) && refused == nullptr) {
            // Reported once the whole line is seen: --help later on still wins.
            refused = arg;
            refusedOption = true;
        }
    }
    if (refused != nullptr)
        refuse(refused, refusedOption);
}

void refuseLeftoverArguments(int argc, char** argv)
{
    for (int k = 1; k < argc; ++k) {
        if (std::strcmp(argv[k], "--") != 0)
            refuse(argv[k], argv[k][0] == '-' && argv[k][1] != '\0');
    }
}
