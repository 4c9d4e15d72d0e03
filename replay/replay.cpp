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

#include <memory>
#include <stdexcept>

#include "app/command_line.h"
#include "replay/script.h"
#include "scene/scene.h"
#include "sim/basin.h"
#include "sim/threads.h"
#include "sim/walls.h"
#include "sim/gauges.h"
#include "sim/sources.h"
#include "sim/sponge.h"
#include "simd/targets.h"

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

// The basin the script runs on: the default 160 x 160 basin until a first
// 'basin' command makes another. Commands that change the basin's make-up (basin, wall, clear) must
// come before the first step.
struct Session {
    BasinConfig config;
    std::unique_ptr<Basin> basin;
    bool anyCommand = false; // 'basin' must be the first
    bool fromScene = false;  // --scene made the basin; 'basin' may not remake it
    bool stepped = false;    // walls are built before the water moves
};

void writeDump(const Command& cmd, const Basin& basin, const std::string& path)
{
    const std::vector<unsigned char> bytes = basin.dump();
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

// The solver refuses a make-up by throwing; the script's line then says why.
std::unique_ptr<Basin> newBasin(const Command& cmd, const BasinConfig& config)
{
    try {
        return std::make_unique<Basin>(config);
    } catch (const std::exception& error) {
        fail(cmd.line(), std::string("cannot make the basin: ") + error.what());
    }
}

// 'basin W H [CELL TIMESTEP GRAVITY REST]': a new basin of that make-up, at rest.
void makeBasin(const Command& cmd, Session& session)
{
    if (session.fromScene)
        fail(cmd.line(), "'basin' cannot follow a scene: the scene sets the basin");
    if (session.anyCommand)
        fail(cmd.line(), "'basin' must come before any other command");
    const size_t given = cmd.argumentCount();
    if (given != 2 && given != 6)
        fail(cmd.line(), "'basin' needs 2 or 6 argument(s), got " + std::to_string(given));
    BasinConfig config = session.config;
    config.width = int(cmd.integer(1, 3, INT_MAX, "width"));
    config.height = int(cmd.integer(2, 3, INT_MAX, "height"));
    if (given == 6) {
        config.cellSize = cmd.real(3, "cell size");
        config.timestep = cmd.real(4, "time step");
        config.gravity = cmd.realDouble(5, "gravity"); // a double, as the solver uses it
        config.restHeight = cmd.real(6, "rest height");
    }
    session.basin = newBasin(cmd, config);
    session.config = config;
}

// 'wall X0 Y0 X1 Y1': the rectangle's cells become wall.
void addWall(const Command& cmd, Basin& basin)
{
    cmd.expectArguments(4);
    const int x0 = int(cmd.integer(1, 0, basin.width() - 1, "column"));
    const int y0 = int(cmd.integer(2, 0, basin.height() - 1, "row"));
    const int x1 = int(cmd.integer(3, x0, basin.width() - 1, "last column"));
    const int y1 = int(cmd.integer(4, y0, basin.height() - 1, "last row"));
    fillWalls(basin, x0, y0, x1, y1);
    basin.reset(); // walls hold no water
}

// The solver's refusal of a setting, as the script's error.
template <typename Action>
void orFail(const Command& cmd, const Action& action)
{
    try {
        action();
    } catch (const std::invalid_argument& error) {
        fail(cmd.line(), error.what());
    }
}

// 'source point X Y R PERIOD AMPLITUDE [PHASE [RAMP]]' or
// 'source line X0 Y0 X1 Y1 PERIOD AMPLITUDE [PHASE [RAMP]]'.
void addSource(const Command& cmd, Basin& basin)
{
    if (cmd.argumentCount() < 1 || (cmd.word(1) != "point" && cmd.word(1) != "line"))
        fail(cmd.line(), "'source' needs 'point' or 'line' first");
    const bool point = cmd.word(1) == "point";
    const size_t places = point ? 3 : 4, given = cmd.argumentCount();
    if (given < places + 3 || given > places + 5)
        fail(cmd.line(), "'source " + cmd.word(1) + "' needs " + std::to_string(places + 3) + " to " +
                             std::to_string(places + 5) + " argument(s), got " + std::to_string(given));
    const auto coordinate = [&](size_t k, const char* what) { return int(cmd.integer(k, INT_MIN, INT_MAX, what)); };
    const size_t t = places + 2;
    const double period = cmd.realDouble(t, "period"), amplitude = cmd.realDouble(t + 1, "amplitude");
    const double phase = given >= t + 2 ? cmd.realDouble(t + 2, "phase") : 0.0;
    const double ramp = given >= t + 3 ? cmd.realDouble(t + 3, "ramp") : 2.0;
    orFail(cmd, [&] {
        basin.addSource(point ? pointSource(basin, coordinate(2, "column"), coordinate(3, "row"),
                                            coordinate(4, "radius"), period, amplitude, phase, ramp)
                              : lineSource(basin, coordinate(2, "column"), coordinate(3, "row"),
                                           coordinate(4, "last column"), coordinate(5, "last row"), period,
                                           amplitude, phase, ramp));
    });
}

// 'sponge WIDTH [EDGES [STRENGTH]]'.
void setSpongeLayer(const Command& cmd, Basin& basin)
{
    const size_t given = cmd.argumentCount();
    if (given < 1 || given > 3)
        fail(cmd.line(), "'sponge' needs 1 to 3 argument(s), got " + std::to_string(given));
    const int width = int(cmd.integer(1, INT_MIN, INT_MAX, "sponge width"));
    const double strength = given == 3 ? cmd.realDouble(3, "strength") : DEFAULT_SPONGE_STRENGTH;
    orFail(cmd, [&] { setSponge(basin, width, spongeEdges(given >= 2 ? cmd.word(2) : "nesw"), strength); });
}

// 'bed X0 Y0 X1 Y1 Z' (a rectangle at elevation Z) or 'bed slope X0 X1 Z0 Z1' (every
// row: Z0 at column X0 rising evenly to Z1 at X1, and Z1 beyond).
void setBed(const Command& cmd, Basin& basin)
{
    if (cmd.argumentCount() >= 1 && cmd.word(1) == "slope") {
        cmd.expectArguments(5);
        const int x0 = int(cmd.integer(2, 0, basin.width() - 1, "column"));
        const int x1 = int(cmd.integer(3, x0 + 1, basin.width() - 1, "last column"));
        const float z0 = cmd.real(4, "elevation"), z1 = cmd.real(5, "last elevation");
        for (int y = 0; y < basin.height(); ++y)
            for (int x = x0; x < basin.width(); ++x)
                basin.bed[size_t(basin.cellIndex(x, y))] =
                    x >= x1 ? z1 : float(z0 + (double(z1) - z0) * (x - x0) / (x1 - x0));
    } else {
        cmd.expectArguments(5);
        const int x0 = int(cmd.integer(1, 0, basin.width() - 1, "column"));
        const int y0 = int(cmd.integer(2, 0, basin.height() - 1, "row"));
        const int x1 = int(cmd.integer(3, x0, basin.width() - 1, "last column"));
        const int y1 = int(cmd.integer(4, y0, basin.height() - 1, "last row"));
        const float z = cmd.real(5, "elevation");
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                basin.bed[size_t(basin.cellIndex(x, y))] = z;
    }
    orFail(cmd, [&] { basin.reset(); }); // the water column follows the bed
}

// The gauge log as CSV: step, time, then h at each gauge.
void writeGauges(const Command& cmd, const Basin& basin, const std::string& path)
{
    FILE* out = std::fopen(path.c_str(), "w");
    if (out == nullptr)
        fail(cmd.line(), "cannot write '" + path + "': " + std::strerror(errno));
    std::fprintf(out, "step,time");
    for (const Gauge& g : basin.gauges)
        std::fprintf(out, ",h_%d_%d", g.x, g.y);
    std::fprintf(out, "\n");
    const GaugeLog& log = basin.gaugeLog;
    for (size_t r = 0; r < log.steps.size(); ++r) {
        std::fprintf(out, "%" PRIu64 ",%.17g", log.steps[r], double(log.steps[r]) * basin.config().timestep);
        for (size_t g = 0; g < basin.gauges.size(); ++g)
            std::fprintf(out, ",%.9g", double(log.h[r * basin.gauges.size() + g]));
        std::fprintf(out, "\n");
    }
    const bool failed = std::ferror(out) != 0;
    if (std::fclose(out) != 0 || failed)
        fail(cmd.line(), "cannot write '" + path + "'");
}

// 'gauge X Y', 'gauge every K' (records after every K-th step; clears the log) or
// 'gauge write PATH'.
void gaugeCommand(const Command& cmd, Basin& basin)
{
    if (cmd.argumentCount() >= 1 && cmd.word(1) == "every") {
        cmd.expectArguments(2);
        basin.gaugeLog.every = int(cmd.integer(2, 1, INT_MAX, "gauge interval"));
        basin.gaugeLog.steps.clear();
        basin.gaugeLog.h.clear();
    } else if (cmd.argumentCount() >= 1 && cmd.word(1) == "write") {
        cmd.expectArguments(2);
        writeGauges(cmd, basin, cmd.word(2));
    } else {
        cmd.expectArguments(2);
        const int x = int(cmd.integer(1, INT_MIN, INT_MAX, "column")), y = int(cmd.integer(2, INT_MIN, INT_MAX, "row"));
        orFail(cmd, [&] { basin.addGauge(x, y); });
    }
}

void run(const Command& cmd, Session& session)
{
    const std::string& name = cmd.name();
    if (name == "basin") {
        makeBasin(cmd, session);
        session.anyCommand = true;
        return;
    }
    session.anyCommand = true;
    if (!session.basin)
        session.basin = newBasin(cmd, session.config);
    Basin& basin = *session.basin;
    if ((name == "wall" || name == "clear" || name == "bed") && session.stepped)
        fail(cmd.line(), "'" + name + "' must come before the first step");
    if (name == "step") {
        cmd.expectArguments(1);
        const long long steps = cmd.integer(1, 0, LLONG_MAX, "step count");
        for (long long k = 0; k < steps; ++k)
            basin.step();
        session.stepped = true;
    } else if (name == "drop") {
        cmd.expectArguments(4);
        const int cx = int(cmd.integer(1, INT_MIN, INT_MAX, "column"));
        const int cy = int(cmd.integer(2, INT_MIN, INT_MAX, "row"));
        const int r = int(cmd.integer(3, 1, INT_MAX, "radius"));
        basin.addDrop(cx, cy, r, cmd.real(4, "increment"));
    } else if (name == "set") {
        cmd.expectArguments(4);
        const NamedField* field = findField(cmd.word(1));
        if (field == nullptr)
            fail(cmd.line(), "unknown field '" + cmd.word(1) + "' (" + fieldNameList() + ")");
        const int x = int(cmd.integer(2, 0, basin.width() - 1, "column"));
        const int y = int(cmd.integer(3, 0, basin.height() - 1, "row"));
        (basin.*field->field)[size_t(basin.cellIndex(x, y))] = cmd.real(4, "value");
    } else if (name == "mode") {
        cmd.expectArguments(1);
        basin.colorMode = int(cmd.integer(1, FIRST_MODE, LAST_MODE, "mode"));
    } else if (name == "wall") {
        addWall(cmd, basin);
    } else if (name == "clear") {
        cmd.expectArguments(0);
        std::fill(basin.walls.begin(), basin.walls.end(), uint8_t(0));
        basin.reset();
    } else if (name == "reset") {
        cmd.expectArguments(0);
        orFail(cmd, [&] { basin.reset(); });
    } else if (name == "source") {
        addSource(cmd, basin);
    } else if (name == "sponge") {
        setSpongeLayer(cmd, basin);
    } else if (name == "bed") {
        setBed(cmd, basin);
    } else if (name == "gauge") {
        gaugeCommand(cmd, basin);
    } else if (name == "volume") {
        // 'volume on' or 'volume off': the volume keeper (sim/volume.h).
        cmd.expectArguments(1);
        if (cmd.word(1) != "on" && cmd.word(1) != "off")
            fail(cmd.line(), "'volume' takes on or off, got '" + cmd.word(1) + "'");
        basin.volumeKeeper.on = cmd.word(1) == "on";
    } else if (name == "dump") {
        cmd.expectArguments(1);
        writeDump(cmd, basin, cmd.word(1));
    } else if (name == "hash") {
        cmd.expectArguments(0);
        // Stop at the first output that cannot be written, not after the whole script.
        if (std::printf("fnv1a64 %016" PRIx64 "\n", basin.stateHash()) < 0)
            std::exit(finishOutput(PROGRAM));
    } else {
        fail(cmd.line(), "unknown command '" + name + "'");
    }
}

void printHelp()
{
    std::printf(
        "Usage: %s [--target NAME] [--threads N] [--scene SCENE] [SCRIPT]\n"
        "Run the Ripplemoor water solver on a script of commands, without a display,\n"
        "and write what it computed: hashes on standard output, dumps into files.\n"
        "With no SCRIPT, or when SCRIPT is -, read standard input.\n"
        "\n"
        "      --target=NAME    run the solver on the instruction set NAME, or on the\n"
        "                       portable loops (portable); every choice gives the same bits\n"
        "      --target=list    print the names this processor offers, the default first\n"
        "      --solver=NAME    deprecated: the same as --target\n"
        "      --threads=N      step on N threads (0: every core where the basin is large\n"
        "                       enough to gain); every count gives the same bits\n"
        "      --scene=SCENE    start from the basin, walls and colour mode of a scene\n"
        "                       file, or of the preset of that name; the script's wall\n"
        "                       and clear then change its walls\n"
        "      --help           display this help and exit\n"
        "      --version        output version information and exit\n"
        "\n"
        "Commands, one a line: basin W H [CELL TIMESTEP GRAVITY REST] (first only),\n"
        "wall X0 Y0 X1 Y1, clear (before the first step), step N, drop CX CY R INC,\n"
        "set FIELD X Y VALUE, mode M, reset, dump PATH, hash;\n"
        "source point X Y R PERIOD AMPLITUDE [PHASE [RAMP]],\n"
        "source line X0 Y0 X1 Y1 PERIOD AMPLITUDE [PHASE [RAMP]],\n"
        "sponge WIDTH [EDGES [STRENGTH]], bed X0 Y0 X1 Y1 Z, bed slope X0 X1 Z0 Z1\n"
        "(before the first step), gauge X Y, gauge every K, gauge write PATH (CSV),\n"
        "volume on|off (keep the water's volume).\n"
        "Lines whose first word starts with # are skipped.\n"
        "\n"
        "Exit status: 0 when the script ran to its end, 1 if standard output could not\n"
        "be written, 2 for bad input (script, dump file or command line).\n"
        "\n"
        "Full documentation: man ripplemoor-replay\n",
        PROGRAM);
}

// --target NAME: the portable loops or one of the kernel's targets; "list" prints them.
void chooseTarget(const std::string& name)
{
    if (name == "list") {
        for (const std::string& choice : simd::targetNames())
            std::printf("%s\n", choice.c_str());
        std::exit(finishOutput(PROGRAM));
    }
    if (!simd::useTarget(name)) {
        std::fprintf(stderr, "%s: unknown or unavailable target '%s'; this processor offers: %s\n", PROGRAM,
                     name.c_str(), simd::targetList(" ").c_str());
        std::exit(BAD_INPUT);
    }
}

int threadCount(const std::string& text)
{
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno == ERANGE || value < 0 || value > MAX_THREADS)
        badCommandLine(PROGRAM, "invalid thread count '" + text + "' (0 to " + std::to_string(MAX_THREADS) + ")");
    return int(value);
}

// The value of an option given as "--name VALUE" or "--name=VALUE", or null
// where arg is not that option.
const char* optionValue(const std::string& arg, const char* name, int argc, char** argv, int& k)
{
    const std::string option = std::string("--") + name;
    if (arg == option) {
        if (k + 1 == argc)
            badCommandLine(PROGRAM, "option '" + option + "' requires an argument");
        return argv[++k];
    }
    if (arg.rfind(option + "=", 0) == 0)
        return argv[k] + option.size() + 1;
    return nullptr;
}

// The script's path, or null for standard input. Options and the one operand may
// come in any order, up to "--".
const char* readCommandLine(int argc, char** argv, BasinConfig& config, std::string& scene)
{
    const char* script = nullptr;
    bool options = true;
    for (int k = 1; k < argc; ++k) {
        const std::string arg = argv[k];
        const char* value = nullptr;
        if (options && arg == "--") {
            options = false;
        } else if (options && arg == "--help") {
            printHelp();
            std::exit(finishOutput(PROGRAM));
        } else if (options && arg == "--version") {
            printVersion(PROGRAM);
            std::exit(finishOutput(PROGRAM));
        } else if (options && (value = optionValue(arg, "target", argc, argv, k)) != nullptr) {
            chooseTarget(value);
        } else if (options && (value = optionValue(arg, "solver", argc, argv, k)) != nullptr) {
            std::fprintf(stderr, "%s: --solver is deprecated; use --target\n", PROGRAM);
            chooseTarget(value);
        } else if (options && (value = optionValue(arg, "threads", argc, argv, k)) != nullptr) {
            config.threads = threadCount(value);
        } else if (options && (value = optionValue(arg, "scene", argc, argv, k)) != nullptr) {
            if (*value == '\0')
                badCommandLine(PROGRAM, "option '--scene' requires a file or a preset's name");
            scene = value;
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
    Session session;
    std::string scenePath;
    const char* path = readCommandLine(argc, argv, session.config, scenePath);
    if (!scenePath.empty()) {
        try {
            const Scene scene = readScene(scenePath);
            session.basin = std::make_unique<Basin>(basinOfScene(scene, session.config.threads));
            session.config = session.basin->config();
            session.fromScene = true;
        } catch (const std::exception& error) {
            // A SceneError reads "FILE:LINE: reason"; a refused basin names no line.
            std::fprintf(stderr, "%s: %s%s\n", PROGRAM,
                         dynamic_cast<const SceneError*>(&error) ? "" : (scenePath + ": ").c_str(), error.what());
            return BAD_INPUT;
        }
    }
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

    std::string line;
    while (readLine(script, line)) {
        std::vector<std::string> words = splitWords(line);
        if (words.empty() || words[0][0] == '#')
            continue;
        const long line = script.lineNumber;
        // Whatever else the solver refuses by throwing ends the script the same way.
        try {
            run(Command(line, std::move(words)), session);
        } catch (const std::exception& error) {
            scriptError(line, error.what());
        }
    }
    return finishOutput(PROGRAM) == 0 ? 0 : WRITE_FAILED;
}
