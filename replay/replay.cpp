// ripplemoor-replay: runs the real solver on a script, headless, and writes what
// it computed (see printHelp()).

#include <cerrno>
#include <cinttypes>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/state.h"
#include "replay/script.h"
#include "sim/drops.h"
#include "sim/solver_path.h"
#include "sim/state_dump.h"
#include "sim/step.h"

namespace {

const char* const PROGRAM = "ripplemoor-replay";
constexpr int BAD_INPUT = 2;
constexpr int WRITE_FAILED = 1;

// The script's name in messages: its path, or <stdin>.
std::string scriptName = "<stdin>";

} // namespace

// "ripplemoor-replay: FILE:LINE: reason", after what the commands before printed.
void scriptError(long line, const std::string& what)
{
    std::fflush(stdout);
    std::fprintf(stderr, "%s: %s:%ld: %s\n", PROGRAM, scriptName.c_str(), line, what.c_str());
    std::exit(BAD_INPUT);
}

namespace {

[[noreturn]] void fail(long line, const std::string& what) { scriptError(line, what); }

Field* fieldNamed(const std::string& name)
{
    if (name == "h")
        return &h;
    if (name == "u")
        return &u;
    if (name == "v")
        return &v;
    if (name == "heightChange")
        return &heightChange;
    return nullptr;
}

void writeDump(const Command& cmd, const std::string& path)
{
    const std::vector<unsigned char> bytes = stateBytes();
    // The first failure's reason; later calls may change errno.
    int reason = 0;
    FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr)
        reason = errno;
    if (out != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size())
        reason = errno;
    if (out != nullptr && std::fclose(out) != 0 && reason == 0)
        reason = errno;
    if (reason != 0)
        fail(cmd.line(), "cannot write '" + path + "': " + std::strerror(reason));
}

void run(const Command& cmd)
{
    const int last = GRID_SIZE - 1;
    const std::string& name = cmd.name();
    if (name == "step") {
        cmd.expectArguments(1);
        const long long steps = cmd.integer(1, 0, LLONG_MAX, "step count");
        for (long long k = 0; k < steps; ++k)
            simulationStep();
    } else if (name == "drop") {
        cmd.expectArguments(4);
        const int cx = int(cmd.integer(1, INT_MIN, INT_MAX, "column"));
        const int cy = int(cmd.integer(2, INT_MIN, INT_MAX, "row"));
        const int r = int(cmd.integer(3, 1, INT_MAX, "radius"));
        addDrop(cx, cy, r, cmd.real(4, "increment"));
    } else if (name == "set") {
        cmd.expectArguments(4);
        Field* field = fieldNamed(cmd.word(1));
        if (field == nullptr)
            fail(cmd.line(), "unknown field '" + cmd.word(1) + "' (h, u, v or heightChange)");
        const int x = int(cmd.integer(2, 0, last, "column"));
        const int y = int(cmd.integer(3, 0, last, "row"));
        (*field)[cellIndex(x, y)] = cmd.real(4, "value");
    } else if (name == "mode") {
        cmd.expectArguments(1);
        colorMode = int(cmd.integer(1, 0, 6, "mode"));
    } else if (name == "reset") {
        cmd.expectArguments(0);
        resetFields();
    } else if (name == "dump") {
        cmd.expectArguments(1);
        writeDump(cmd, cmd.word(1));
    } else if (name == "hash") {
        cmd.expectArguments(0);
        // Stop at the first output that cannot be written, not after the whole script.
        if (std::printf("fnv1a64 %016" PRIx64 "\n", stateHash()) < 0)
            std::exit(finishOutput(PROGRAM));
    } else {
        fail(cmd.line(), "unknown command '" + name + "'");
    }
}

void startUp()
{
    colorMode = 0;
    sizeFields();
    resetFields();
    resetRanges();
}

void printHelp()
{
    std::printf(
        "Usage: %s [--solver NAME] [SCRIPT]\n"
        "Run the Ripplemoor water solver on a script of commands, without a display,\n"
        "and write what it computed: hashes on standard output, dumps into files.\n"
        "With no SCRIPT, or when SCRIPT is -, read standard input.\n"
        "\n"
        "      --solver=NAME    run the solver on the instruction set NAME, or on the\n"
        "                       portable loops (portable); every choice gives the same bits\n"
        "      --solver=list    print the names this processor offers, the default first\n"
        "      --help           display this help and exit\n"
        "      --version        output version information and exit\n"
        "\n"
        "Commands, one a line: step N, drop CX CY R INC, set FIELD X Y VALUE, mode M,\n"
        "reset, dump PATH, hash. Lines whose first word starts with # are skipped.\n"
        "\n"
        "Exit status: 0 when the script ran to its end, 1 if standard output could not\n"
        "be written, 2 for bad input (script, dump file or command line).\n"
        "\n"
        "Full documentation: man ripplemoor-replay\n",
        PROGRAM);
}

// --solver NAME: the portable loops or one of the kernel's targets; "list" prints them.
void chooseSolver(const std::string& name)
{
    if (name == "list") {
        for (const std::string& choice : solverNames())
            std::printf("%s\n", choice.c_str());
        std::exit(finishOutput(PROGRAM));
    }
    if (!useSolver(name)) {
        std::string offered;
        for (const std::string& choice : solverNames())
            offered += " " + choice;
        std::fprintf(stderr, "%s: unknown or unavailable solver '%s'; this processor offers:%s\n", PROGRAM,
                     name.c_str(), offered.c_str());
        std::exit(BAD_INPUT);
    }
}

// The script's path, or null for standard input. Options and the one operand may
// come in any order, up to "--".
const char* readCommandLine(int argc, char** argv)
{
    const char* script = nullptr;
    bool options = true;
    for (int k = 1; k < argc; ++k) {
        const std::string arg = argv[k];
        if (options && arg == "--") {
            options = false;
        } else if (options && arg == "--help") {
            printHelp();
            std::exit(finishOutput(PROGRAM));
        } else if (options && arg == "--version") {
            printVersion(PROGRAM);
            std::exit(finishOutput(PROGRAM));
        } else if (options && arg == "--solver") {
            if (k + 1 == argc)
                badCommandLine(PROGRAM, "option '--solver' requires an argument");
            chooseSolver(argv[++k]);
        } else if (options && arg.rfind("--solver=", 0) == 0) {
            chooseSolver(arg.substr(9));
        } else if (options && arg.size() > 1 && arg[0] == '-') {
            badCommandLine(PROGRAM, "unknown option '" + arg + "'");
        } else if (script != nullptr) {
            badCommandLine(PROGRAM, "unexpected argument '" + arg + "' (one script at most)");
        } else {
            script = argv[k];
        }
    }
    if (script != nullptr && std::strcmp(script, "-") == 0)
        return nullptr;
    return script;
}

} // namespace

int main(int argc, char** argv)
{
    const char* path = readCommandLine(argc, argv);
    Script script;
    script.in = stdin;
    if (path != nullptr) {
        scriptName = path;
        script.in = std::fopen(path, "rb");
        if (script.in == nullptr) {
            std::fprintf(stderr, "%s: %s: cannot read the script: %s\n", PROGRAM, path, std::strerror(errno));
            return BAD_INPUT;
        }
    }

    startUp();
    std::string line;
    while (readLine(script, line)) {
        std::vector<std::string> words = splitWords(line);
        if (words.empty() || words[0][0] == '#')
            continue;
        run(Command(script.lineNumber, std::move(words)));
    }
    return finishOutput(PROGRAM) == 0 ? 0 : WRITE_FAILED;
}
