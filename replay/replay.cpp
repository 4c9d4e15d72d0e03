// ripplemoor-replay: runs the real solver on a script, headless, and writes what
// it computed (see usage()).

#include <cerrno>
#include <cinttypes>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/state.h"
#include "sim/drops.h"
#include "sim/solver_path.h"
#include "sim/state_dump.h"
#include "sim/step.h"

namespace {

constexpr int BAD_INPUT = 2;

struct Script {
    FILE* in = nullptr;
    long lineNumber = 0;
};

[[noreturn]] void fail(long line, const std::string& what)
{
    std::fflush(stdout);
    std::fprintf(stderr, "line %ld: %s\n", line, what.c_str());
    std::exit(BAD_INPUT);
}

std::vector<std::string> splitWords(const std::string& line)
{
    std::vector<std::string> words;
    size_t k = 0;
    while (k < line.size()) {
        while (k < line.size() && (line[k] == ' ' || line[k] == '\t' || line[k] == '\r'))
            ++k;
        const size_t start = k;
        while (k < line.size() && line[k] != ' ' && line[k] != '\t' && line[k] != '\r')
            ++k;
        if (k > start)
            words.push_back(line.substr(start, k - start));
    }
    return words;
}

// Reads one line; false at the end of the script.
bool readLine(Script& script, std::string& line)
{
    line.clear();
    int c = 0;
    bool any = false;
    ++script.lineNumber;
    while ((c = std::fgetc(script.in)) != EOF) {
        any = true;
        if (c == '\n')
            return true;
        line.push_back(char(c));
    }
    if (std::ferror(script.in))
        fail(script.lineNumber, std::string("cannot read the script: ") + std::strerror(errno));
    return any;
}

class Command {
public:
    Command(long line, std::vector<std::string> words) : line_(line), words_(std::move(words)) {}

    const std::string& name() const { return words_[0]; }

    // Checks the number of arguments after the command word.
    void expectArguments(size_t count) const
    {
        const size_t given = words_.size() - 1;
        if (given < count)
            fail(line_, "'" + name() + "' needs " + std::to_string(count) + " argument(s), got " +
                            std::to_string(given));
        if (given > count)
            fail(line_, "unexpected word '" + words_[count + 1] + "' after '" + name() + "'");
    }

    const std::string& word(size_t k) const { return words_[k]; }

    long long integer(size_t k, long long lo, long long hi, const char* what) const
    {
        const std::string& text = words_[k];
        errno = 0;
        char* end = nullptr;
        const long long value = std::strtoll(text.c_str(), &end, 10);
        if (end == text.c_str() || *end != '\0')
            fail(line_, std::string("malformed ") + what + " '" + text + "'");
        if (errno == ERANGE || value < lo || value > hi)
            fail(line_, std::string(what) + " '" + text + "' out of range " + std::to_string(lo) +
                            " to " + std::to_string(hi));
        return value;
    }

    // As strtof reads it: hex floats are exact, inf and nan are accepted, and a
    // value beyond the float range becomes what strtof gives (infinity or a denormal).
    float real(size_t k, const char* what) const
    {
        const std::string& text = words_[k];
        char* end = nullptr;
        const float value = std::strtof(text.c_str(), &end);
        if (end == text.c_str() || *end != '\0')
            fail(line_, std::string("malformed ") + what + " '" + text + "'");
        return value;
    }

    long line() const { return line_; }

private:
    long line_;
    std::vector<std::string> words_;
};

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
    FILE* out = std::fopen(path.c_str(), "wb");
    bool ok = out != nullptr;
    if (ok)
        ok = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    if (out != nullptr && std::fclose(out) != 0)
        ok = false;
    if (!ok)
        fail(cmd.line(), "cannot write '" + path + "': " + std::strerror(errno));
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
        std::printf("fnv1a64 %016" PRIx64 "\n", stateHash());
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

[[noreturn]] void usage(const char* program)
{
    std::fprintf(stderr,
                 "usage: %s [--solver NAME] [SCRIPT]   (the script is read from standard input without SCRIPT)\n"
                 "       %s --solver list              (the solvers this processor offers, the default first)\n",
                 program, program);
    std::exit(BAD_INPUT);
}

// --solver NAME: the portable loops or one of the kernel's targets; "list" prints them.
void chooseSolver(const std::string& name)
{
    if (name == "list") {
        for (const std::string& choice : solverNames())
            std::printf("%s\n", choice.c_str());
        std::exit(std::fflush(stdout) == 0 ? 0 : 1);
    }
    if (!useSolver(name)) {
        std::string offered;
        for (const std::string& choice : solverNames())
            offered += " " + choice;
        std::fprintf(stderr, "unknown or unavailable solver '%s'; this processor offers:%s\n", name.c_str(),
                     offered.c_str());
        std::exit(BAD_INPUT);
    }
}

} // namespace

int main(int argc, char** argv)
{
    int next = 1;
    if (next < argc && std::strcmp(argv[next], "--solver") == 0) {
        if (next + 1 >= argc)
            usage(argv[0]);
        chooseSolver(argv[next + 1]);
        next += 2;
    }
    if (argc - next > 1)
        usage(argv[0]);
    Script script;
    script.in = stdin;
    if (next < argc) {
        script.in = std::fopen(argv[next], "rb");
        // No line has been read yet.
        if (script.in == nullptr)
            fail(0, std::string("cannot read the script '") + argv[next] + "': " + std::strerror(errno));
    }

    startUp();
    std::string line;
    while (readLine(script, line)) {
        std::vector<std::string> words = splitWords(line);
        if (words.empty() || words[0][0] == '#')
            continue;
        run(Command(script.lineNumber, std::move(words)));
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}
