#include "app/program_options.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
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
        "Usage: %s [OPTION]... [SCENE]\n"
        "Simulate a basin of water in real time and draw it in a window.\n"
        "SCENE is a scene file or the name of a preset (see --list-scenes): the\n"
        "basin's size, constants, walls, colour mode and camera come from it.\n"
        "\n"
        "      --basin=WxH      a basin of W x H cells (3 or more each; default 160x160)\n"
        "      --threads=N      step on N threads (0, the default: every core where the\n"
        "                       basin is large enough to gain); every count gives the\n"
        "                       same water\n"
        "      --seed=N         seed the drops with N (0 to 4294967295) so they repeat;\n"
        "                       by default they follow the clock\n"
        "      --sky=FILE       read the sky picture from FILE (default: skybox.tga in\n"
        "                       the current folder)\n"
        "      --list-scenes    list the preset scenes' names and exit\n"
        "\n"
        "X and GLUT options:\n"
        "  -display DISPLAY     open the window on the X display DISPLAY\n"
        "  -geometry GEOMETRY   the window's size and place, WxH+X+Y (default 640x480)\n"
        "  -direct              insist on a direct rendering context\n"
        "  -indirect            use an indirect rendering context\n"
        "  -iconic              start with the window iconified\n"
        "  -gldebug             report GL errors after every frame\n"
        "  -sync                make X calls synchronous\n"
        "\n"
        "      --help           display this help and exit\n"
        "      --version        output version information and exit\n"
        "\n"
        "Keys: h help and status, d drop, p pause, r water to rest (walls stay),\n"
        "w clear walls, 0-6 colour modes, b/c grey/colour, f/s flat/smooth, F1-F5 the\n"
        "presets one-slit, two-slits, harbour, corner-reflector and channel, Ctrl+S\n"
        "save the experiment as ripplemoor-YYYYMMDD-HHMMSS.toml and .png here, Esc quit.\n"
        "Mouse: left drag orbit, right drag zoom, middle button drop under the pointer,\n"
        "Shift+left drag paint walls, Ctrl+left drag rub walls out.\n"
        "\n"
        "Exit status: 0 after Esc, 1 if no display can be opened, 2 for a bad command\n"
        "line or scene, 255 if the sky picture is unreadable when the window opens.\n"
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

// A decimal number without sign, within [0, max]; false for anything else.
bool readNumber(const char*& p, unsigned long long max, unsigned long long& value)
{
    if (*p < '0' || *p > '9')
        return false;
    value = 0;
    while (*p >= '0' && *p <= '9') {
        value = value * 10 + unsigned(*p - '0');
        if (value > max)
            return false;
        ++p;
    }
    return true;
}

// "WxH": two numbers of at most nine digits' worth.
bool readSize(const char*& p, int& width, int& height)
{
    unsigned long long w = 0, h = 0;
    if (!readNumber(p, 999999999, w) || (*p != 'x' && *p != 'X'))
        return false;
    ++p;
    if (!readNumber(p, 999999999, h))
        return false;
    width = int(w);
    height = int(h);
    return true;
}

void readBasin(const std::string& text, BasinConfig& config)
{
    const char* p = text.c_str();
    int width = 0, height = 0;
    if (!readSize(p, width, height) || *p != '\0')
        badCommandLine(PROGRAM, "invalid basin size '" + text + "' (WxH, e.g. 320x200)");
    BasinConfig sized = config;
    sized.width = width;
    sized.height = height;
    try {
        checkBasinConfig(sized);
    } catch (const std::exception& e) {
        badCommandLine(PROGRAM, "invalid basin size '" + text + "': " + e.what());
    }
    config = sized;
}

int readThreads(const std::string& text)
{
    const char* p = text.c_str();
    unsigned long long value = 0;
    if (!readNumber(p, 4096, value) || *p != '\0')
        badCommandLine(PROGRAM, "invalid thread count '" + text + "' (0 to 4096)");
    return int(value);
}

uint32_t readSeed(const std::string& text)
{
    const char* p = text.c_str();
    unsigned long long value = 0;
    if (!readNumber(p, 4294967295ull, value) || *p != '\0')
        badCommandLine(PROGRAM, "invalid seed '" + text + "' (0 to 4294967295)");
    return uint32_t(value);
}

void checkSky(const std::string& path)
{
    std::FILE* file = path.empty() ? nullptr : std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        badCommandLine(PROGRAM, "cannot read the sky '" + path + "': " +
                                    (path.empty() ? "no file named" : std::strerror(errno)));
    std::fclose(file);
}

// X's geometry: [=][WxH][{+-}X{+-}Y]. Only the size matters here; GLUT places the window.
void readGeometry(const std::string& text, ProgramOptions& options)
{
    const char* p = text.c_str();
    if (*p == '=')
        ++p;
    bool valid = *p != '\0';
    if (*p >= '0' && *p <= '9') {
        int width = 0, height = 0;
        valid = readSize(p, width, height) && width > 0 && height > 0;
        options.windowWidth = width;
        options.windowHeight = height;
    }
    if (valid && *p != '\0') {
        for (int axis = 0; axis < 2 && valid; ++axis) {
            unsigned long long offset = 0;
            valid = (*p == '+' || *p == '-') && readNumber(++p, 999999999, offset);
        }
        valid = valid && *p == '\0';
    }
    if (!valid)
        badCommandLine(PROGRAM, "invalid geometry '" + text + "' (WxH+X+Y, e.g. 1024x768)");
}

void readSceneOperand(const std::string& name, ProgramOptions& options)
{
    try {
        options.scene = readScene(name);
    } catch (const std::exception& error) {
        // A SceneError reads "FILE:LINE: reason"; a refused basin names no line.
        std::fflush(stdout);
        std::fprintf(stderr, "%s: %s%s\n", PROGRAM, dynamic_cast<const SceneError*>(&error) ? "" : (name + ": ").c_str(),
                     error.what());
        std::exit(2);
    }
    options.hasScene = true;
}

// The value of "--name=VALUE" or "--name VALUE", or null where arg is not that option.
const char* optionValue(const char* arg, const char* name, int argc, char** argv, int& k)
{
    const size_t length = std::strlen(name);
    if (std::strncmp(arg, name, length) != 0)
        return nullptr;
    if (arg[length] == '=')
        return arg + length + 1;
    if (arg[length] != '\0')
        return nullptr;
    if (k + 1 == argc)
        badCommandLine(PROGRAM, std::string("option '") + name + "' requires an argument");
    return argv[++k];
}

} // namespace

ProgramOptions readCommandLine(int argc, char** argv)
{
    ProgramOptions options;
    options.config.threads = 0;
    options.glutArguments.push_back(argv[0] != nullptr ? argv[0] : PROGRAM);
    const char* refused = nullptr;
    bool refusedOption = false;
    bool optionsEnd = false;
    bool sized = false;
    const char* scene = nullptr;
    for (int k = 1; k < argc; ++k) {
        const char* arg = argv[k];
        const char* value = nullptr;
        if (optionsEnd || arg[0] != '-' || arg[1] == '\0') {
            // One scene; a scene is never read from standard input.
            if (scene == nullptr && std::strcmp(arg, "-") != 0)
                scene = arg;
            else if (refused == nullptr)
                refused = arg;
            continue;
        }
        if (std::strcmp(arg, "--") == 0) {
            optionsEnd = true;
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
        if (std::strcmp(arg, "--list-scenes") == 0) {
            for (const std::string& name : presetNames())
                std::printf("%s\n", name.c_str());
            std::exit(finishOutput(PROGRAM));
        }
        if ((value = optionValue(arg, "--basin", argc, argv, k)) != nullptr) {
            readBasin(value, options.config);
            sized = true;
        } else if ((value = optionValue(arg, "--threads", argc, argv, k)) != nullptr) {
            options.config.threads = readThreads(value);
        } else if ((value = optionValue(arg, "--seed", argc, argv, k)) != nullptr) {
            options.seed = readSeed(value);
            options.seeded = true;
        } else if ((value = optionValue(arg, "--sky", argc, argv, k)) != nullptr) {
            options.sky = value;
            checkSky(options.sky);
        } else if (isOneOf(arg, GLUT_OPTIONS_WITH_VALUE, 2)) {
            if (k + 1 == argc)
                badCommandLine(PROGRAM, std::string("option '") + arg + "' requires an argument");
            ++k;
            if (std::strcmp(arg, "-geometry") == 0)
                readGeometry(argv[k], options);
            options.glutArguments.push_back(arg);
            options.glutArguments.push_back(argv[k]);
        } else if (isOneOf(arg, GLUT_FLAGS, 5)) {
            options.glutArguments.push_back(arg);
        } else if (refused == nullptr) {
            // Reported once the whole line is seen: --help later on still wins.
            refused = arg;
            refusedOption = true;
        }
    }
    if (refused != nullptr)
        refuse(refused, refusedOption);
    if (scene != nullptr) {
        if (sized)
            badCommandLine(PROGRAM, "--basin cannot be given with a scene, which sets the size");
        readSceneOperand(scene, options);
    }
    return options;
}

void refuseLeftoverArguments(int argc, char** argv)
{
    for (int k = 1; k < argc; ++k) {
        if (std::strcmp(argv[k], "--") != 0)
            refuse(argv[k], argv[k][0] == '-' && argv[k][1] != '\0');
    }
}
