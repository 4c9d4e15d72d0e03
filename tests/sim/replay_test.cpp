#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "simd/targets.h"
#include "sim_fixture.h"
#include "support/command_run.h"

#ifndef REPLAY_BINARY
#error "REPLAY_BINARY must name the ripplemoor-replay executable"
#endif

namespace {

using ReplayRun = CommandRun;

std::string tempPath(const std::string& name)
{
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir ? dir : "/tmp") + "/ripplemoor_replay_test_" + std::to_string(getpid()) + "_" + name;
}

// Runs the tool on a script given on standard input, or as the file argument,
// after the given options.
ReplayRun replay(const std::string& script, bool asFile = false, const std::string& options = "")
{
    const std::string in = tempPath("in"), out = tempPath("out"), err = tempPath("err");
    std::ofstream(in, std::ios::binary) << script;
    const ReplayRun run =
        runCommand(std::string(REPLAY_BINARY) + options + (asFile ? " " + in : " < " + in), out, err);
    std::remove(in.c_str());
    std::remove(out.c_str());
    std::remove(err.c_str());
    return run;
}

long long physicalMiB() { return (long long)(sysconf(_SC_PHYS_PAGES)) * sysconf(_SC_PAGE_SIZE) >> 20; }

// Script errors name the tool, the script and the line: "<stdin>" on standard input.
void expectError(const std::string& script, const std::string& message)
{
    const ReplayRun run = replay(script);
    EXPECT_EQ(run.status, 2) << script;
    EXPECT_EQ(run.err, "ripplemoor-replay: <stdin>:" + message + "\n") << script;
}

TEST(Replay, HashesWhatItDumps)
{
    const std::string dump = tempPath("state.bin");
    const ReplayRun run = replay("# a comment\n\n  drop 80 80 4 0.3\nstep 20\nmode 6\nstep 5\ndump " + dump +
                           "\nhash\n");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const std::string bytes = readWholeFile(dump);
    std::remove(dump.c_str());
    ASSERT_EQ(bytes.size(), size_t(819272));
    char expected[64];
    std::snprintf(expected, sizeof expected, "fnv1a64 %016llx\n",
                  (unsigned long long)fnv1a64(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()));
    EXPECT_EQ(run.out, expected);
}

TEST(Replay, StartsFromTheStartUpState)
{
    const std::string dump = tempPath("rest.bin");
    ASSERT_EQ(replay("dump " + dump + "\n").status, 0);
    const std::string bytes = readWholeFile(dump);
    std::remove(dump.c_str());
    ASSERT_EQ(bytes.size(), size_t(819272));
    // The dump is little-endian whatever the processor.
    auto floatAt = [&](size_t index) {
        uint32_t bits = 0;
        for (int k = 3; k >= 0; --k)
            bits = bits << 8 | uint32_t(static_cast<unsigned char>(bytes[4 * index + k]));
        float f;
        std::memcpy(&f, &bits, 4);
        return f;
    };
    for (size_t i = 0; i < 25600; ++i)
        ASSERT_EQ(floatAt(i), 1.0f) << "h " << i;
    for (size_t i = 25600; i < 8 * 25600; ++i)
        ASSERT_EQ(floatAt(i), 0.0f) << i;
    // hMax, hMin 1; every other bound and all scales 0.
    EXPECT_EQ(floatAt(8 * 25600 + 0), 1.0f);
    EXPECT_EQ(floatAt(8 * 25600 + 1), 1.0f);
    for (size_t k = 2; k < 18; ++k)
        EXPECT_EQ(floatAt(8 * 25600 + k), 0.0f) << k;
}

TEST(Replay, SetAcceptsExactAndNonFiniteValues)
{
    const ReplayRun same = replay("set h 3 4 0x1.8p+0\nhash\nreset\nset h 3 4 1.5\nhash\n");
    ASSERT_EQ(same.status, 0) << same.err;
    const size_t split = same.out.find('\n');
    EXPECT_EQ(same.out.substr(0, split + 1), same.out.substr(split + 1));
    const ReplayRun nonFinite = replay("set u 80 80 nan\nset v 81 80 inf\nset heightChange 5 5 -inf\nstep 50\nhash\n");
    EXPECT_EQ(nonFinite.status, 0) << nonFinite.err;
    EXPECT_EQ(nonFinite.out.size(), std::string("fnv1a64 0123456789abcdef\n").size());
}

TEST(Replay, ReadsTheScriptFileArgument)
{
    const ReplayRun fromFile = replay("drop 10 10 2 0.05\nstep 3\nhash\n", true);
    const ReplayRun fromStdin = replay("drop 10 10 2 0.05\nstep 3\nhash\n");
    ASSERT_EQ(fromFile.status, 0) << fromFile.err;
    EXPECT_EQ(fromFile.out, fromStdin.out);
    EXPECT_EQ(fromFile.out.rfind("fnv1a64 ", 0), 0u);
}

TEST(Replay, BadInputStopsWithLineNumberAndStatusTwo)
{
    expectError("fly 3\n", "1: unknown command 'fly'");
    expectError("hash\n\n# c\nstep\n", "4: 'step' needs 1 argument(s), got 0");
    expectError("step 1 2\n", "1: unexpected word '2' after 'step'");
    expectError("step 1x\n", "1: malformed step count '1x'");
    expectError("step -1\n", "1: step count '-1' out of range 0 to 9223372036854775807");
    expectError("drop 1 2 0 0.5\n", "1: radius '0' out of range 1 to 2147483647");
    expectError("drop 1 2 3 half\n", "1: malformed increment 'half'");
    expectError("drop 99999999999 2 3 0.5\n", "1: column '99999999999' out of range -2147483648 to 2147483647");
    expectError("set w 1 1 0\n", "1: unknown field 'w' (" + fieldNameList() + ")");
    expectError("set h 160 1 0\n", "1: column '160' out of range 0 to 159");
    expectError("set h 1 -1 0\n", "1: row '-1' out of range 0 to 159");
    expectError("set h 1 1\n", "1: 'set' needs 4 argument(s), got 3");
    expectError("mode 7\n", "1: mode '7' out of range 0 to 6");
    expectError("reset now\n", "1: unexpected word 'now' after 'reset'");
    expectError("dump /nonexistent-dir/x.bin\n", "1: cannot write '/nonexistent-dir/x.bin': No such file or directory");
    // Basins and walls: the make-up comes first, walls before the water moves.
    expectError("hash\nbasin 10 10\n", "2: 'basin' must come before any other command");
    expectError("basin 10\n", "1: 'basin' needs 2 or 6 argument(s), got 1");
    expectError("basin 2 10\n", "1: width '2' out of range 3 to 2147483647");
    expectError("basin 10 10 0.3 nan 10 1\n", "1: cannot make the basin: time step must be a finite positive number, got nan");
    expectError("basin 10 10 0.3 0.05 -1 1\n", "1: cannot make the basin: gravity must be a finite positive number, got -1.000000");
    expectError("basin 65536 65536\n", "1: cannot make the basin: a basin of 65536 x 65536 cells has too many cells (at most 2147483647)");
    // The largest basin whose cells an int still counts, where it does not fit in memory.
    // 54 bytes a cell: thirteen float fields (the nine, the step's two advected
    // velocities, the bed and its copy) and the wall mask and its copy.
    const long long largestMiB = 46340LL * 46340 * 54 >> 20;
    if (largestMiB > physicalMiB())
        expectError("basin 46340 46340\n", "1: cannot make the basin: a basin of 46340 x 46340 cells needs " +
                                               std::to_string(largestMiB) + " MiB, more than this machine's memory (" +
                                               std::to_string(physicalMiB()) + " MiB)");
    expectError("basin 10 12\nset h 10 0 1\n", "2: column '10' out of range 0 to 9");
    expectError("basin 10 12\nwall 3 3 2 5\n", "2: last column '2' out of range 3 to 9");
    expectError("basin 10 12\nwall 3 3 5 12\n", "2: last row '12' out of range 3 to 11");
    expectError("wall 1 1 2 2\nstep 1\nwall 3 3 4 4\n", "3: 'wall' must come before the first step");
    expectError("step 0\nclear\n", "2: 'clear' must come before the first step");
    expectError("hash\ndump /dev/full\n", "2: cannot write '/dev/full': No space left on device");
    // strtoll and strtof would skip a leading form feed or vertical tab.
    expectError("step \f5\n", "1: malformed step count '\f5'");
    expectError("set h 1 1 \v0.5\n", "1: malformed value '\v0.5'");
    // Nothing after a NUL would be seen: the line is refused, not cut short.
    expectError(std::string("step 1\0junk\n", 12), "1: unexpected NUL byte");
    expectError(std::string("hash\n# \0\n", 9), "2: unexpected NUL byte");
}

TEST(Replay, WaveTankCommandsRefuseBadSettingsWithLineNumbers)
{
    expectError("basin 50 40\nsource point 0 5 1 1 0.1\n",
                "2: a point source's centre (0, 5) is outside the basin's water cells (1..48, 1..38)");
    expectError("source wave 5 5 1 1 1\n", "1: 'source' needs 'point' or 'line' first");
    expectError("source point 5 5 1 1\n", "1: 'source point' needs 6 to 8 argument(s), got 5");
    expectError("source line 5 5 9 9 0 0.1\n", "1: a source's period must be a finite positive number, got 0.000000");
    expectError("source point 5 5 1 nan 0.1\n", "1: a source's period must be a finite positive number, got nan");
    expectError("sponge -2\n", "1: sponge width must be 0 (none) or more cells, got -2");
    expectError("sponge 10 up\n", "1: sponge edges must be some of the letters n, e, s, w, each once, got 'up'");
    expectError("sponge 10 ns 2\n", "1: sponge strength must be in (0, 1], got 2.000000");
    expectError("bed 3 4 5 6 1\n",
                "1: bed at cell (3, 4) is 1: it must be finite and below the rest level 1 (make land a wall)");
    expectError("bed slope 10 5 0 0.5\n", "1: last column '5' out of range 11 to 159");
    expectError("step 1\nbed 3 4 5 6 0.5\n", "2: 'bed' must come before the first step");
    expectError("wall 3 3 4 4\ngauge 4 4\n", "2: gauge (4, 4) is in a wall");
    expectError("gauge every 0\n", "1: gauge interval '0' out of range 1 to 2147483647");
    expectError("gauge 1 1\ngauge write /nonexistent-dir/g.csv\n",
                "2: cannot write '/nonexistent-dir/g.csv': No such file or directory");
}

TEST(Replay, GaugesAreWrittenAsCsvEveryKthStep)
{
    const std::string csv = tempPath("gauges.csv");
    const ReplayRun run = replay("basin 60 30\nsource point 20 15 1 1.0 0.05\ngauge 30 15\ngauge 5 5\n"
                                 "gauge every 4\nstep 10\ngauge write " + csv + "\n");
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string text = readWholeFile(csv);
    std::remove(csv.c_str());
    std::istringstream in(text);
    std::string header, row;
    std::getline(in, header);
    EXPECT_EQ(header, "step,time,h_30_15,h_5_5");
    std::vector<std::string> rows;
    while (std::getline(in, row))
        rows.push_back(row);
    ASSERT_EQ(rows.size(), 2u); // steps 4 and 8
    EXPECT_EQ(rows[0].substr(0, 7), "4,0.25,");
    EXPECT_EQ(rows[1].substr(0, 6), "8,0.5,");
    // The far corner has not heard the source yet.
    EXPECT_EQ(rows[1].substr(rows[1].rfind(',')), ",1");
}

TEST(Replay, ClearEmptiesTheWallsBeforeTheWaterMoves)
{
    const std::string water = "drop 80 80 6 0.2\nstep 30\nhash\n";
    const ReplayRun open = replay(water), walled = replay("wall 70 60 90 100\n" + water),
                    cleared = replay("wall 70 60 90 100\nclear\n" + water);
    ASSERT_EQ(open.status, 0) << open.err;
    EXPECT_NE(walled.out, open.out) << "the wall changed nothing; the test shows nothing";
    EXPECT_EQ(cleared.out, open.out);
    EXPECT_EQ(cleared.status, 0) << cleared.err;
}

TEST(Replay, StopsAtTheFirstErrorAfterRunningWhatCameBefore)
{
    const ReplayRun run = replay("hash\nbogus\nhash\n");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out.size(), std::string("fnv1a64 0123456789abcdef\n").size());
    EXPECT_EQ(run.err, "ripplemoor-replay: <stdin>:2: unknown command 'bogus'\n");
}

TEST(Replay, ScriptFileErrorsNameTheFile)
{
    const ReplayRun run = replay("hash\n\nbogus\n", true);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out.size(), std::string("fnv1a64 0123456789abcdef\n").size());
    const std::string prefix = "ripplemoor-replay: " + tempPath("in") + ":3: ";
    EXPECT_EQ(run.err, prefix + "unknown command 'bogus'\n");
}

// "-" and no argument both read standard input, after "--" too.
TEST(Replay, DashAndNothingReadStandardInput)
{
    const std::string script = "drop 10 10 2 0.05\nstep 3\nhash\n";
    const ReplayRun plain = replay(script);
    ASSERT_EQ(plain.status, 0) << plain.err;
    for (const char* options :
         {" -", " -- -", " --target portable -", " - --target=portable", " --target=portable --"}) {
        const ReplayRun run = replay(script, false, options);
        EXPECT_EQ(run.status, 0) << options << ": " << run.err;
        EXPECT_EQ(run.out, plain.out) << options;
    }
    // The file comes last in replay(): here the option goes before it.
    const ReplayRun fromFile = replay(script, true, " --target=portable");
    EXPECT_EQ(fromFile.out, plain.out);
}

// Standard output that cannot be written: the reason, status 1, and no more
// steps than needed to find out.
TEST(Replay, FailedWriteToStandardOutputIsReported)
{
    const std::string in = tempPath("full_in"), err = tempPath("full_err");
    std::ofstream(in, std::ios::binary) << "hash\n";
    // More hashes than the output buffer holds: the write fails in the middle of
    // the script, not at the final flush.
    const std::string many = tempPath("full_many");
    {
        std::ofstream script(many, std::ios::binary);
        for (int k = 0; k < 400; ++k)
            script << "hash\n";
    }
    for (const std::string& options : {std::string(" ") + in, std::string(" ") + many, std::string(" --target list"),
                                      std::string(" --help"), std::string(" --version")}) {
        const std::string command = std::string(REPLAY_BINARY) + options + " > /dev/full 2> " + err;
        const int raw = std::system(command.c_str());
        EXPECT_EQ(WEXITSTATUS(raw), 1) << options;
        EXPECT_EQ(readWholeFile(err), "ripplemoor-replay: write error: No space left on device\n") << options;
    }
    std::remove(in.c_str());
    std::remove(many.c_str());
    std::remove(err.c_str());
}

TEST(Replay, HelpAndVersionGoToStandardOutput)
{
    const ReplayRun help = replay("", false, " --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.err, "");
    EXPECT_EQ(help.out.rfind("Usage: ripplemoor-replay [--target NAME] [--threads N] [--scene SCENE] [SCRIPT]\n", 0), 0u)
        << help.out;
    for (const char* word : {"--target=NAME", "--solver=NAME", "--threads=N", "--scene=SCENE", "--help", "--version",
                             "Exit status"})
        EXPECT_NE(help.out.find(word), std::string::npos) << word;

    const ReplayRun version = replay("hash\n", false, " --version");
    EXPECT_EQ(version.status, 0);
    const std::vector<std::string> lines = [&] {
        std::vector<std::string> out;
        std::istringstream text(version.out);
        for (std::string line; std::getline(text, line);)
            out.push_back(line);
        return out;
    }();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0].rfind("ripplemoor-replay (Ripplemoor) ", 0), 0u) << lines[0];
    EXPECT_NE(version.out.find("\nLicense MIT"), std::string::npos);
    EXPECT_EQ(version.out.find("fnv1a64"), std::string::npos) << "--version ran the script";
}

TEST(Replay, BadCommandLinesPointToHelp)
{
    const std::string hint = "Try 'ripplemoor-replay --help'.\n";
    const std::pair<std::string, std::string> cases[] = {
        {" --bogus", "ripplemoor-replay: unknown option '--bogus'\n"},
        {" -x", "ripplemoor-replay: unknown option '-x'\n"},
        {" --target", "ripplemoor-replay: option '--target' requires an argument\n"},
        {" a b", "ripplemoor-replay: unexpected argument 'b' (one script at most)\n"},
        {" -- a -b", "ripplemoor-replay: unexpected argument '-b' (one script at most)\n"},
        // The solver would throw on a negative count: refused here, never an abort.
        {" --threads -1", "ripplemoor-replay: invalid thread count '-1' (0 to 4096)\n"},
        {" --threads=4097", "ripplemoor-replay: invalid thread count '4097' (0 to 4096)\n"},
        {" --threads 2x", "ripplemoor-replay: invalid thread count '2x' (0 to 4096)\n"},
    };
    for (const auto& [options, message] : cases) {
        const ReplayRun run = replay("hash\n", false, options);
        EXPECT_EQ(run.status, 2) << options;
        EXPECT_EQ(run.out, "") << options;
        EXPECT_EQ(run.err, message + hint) << options;
    }
}

TEST(Replay, UnreadableScriptFileIsReported)
{
    const std::string missing = tempPath("missing");
    const std::string command = std::string(REPLAY_BINARY) + " " + missing + " 2> " + tempPath("err2");
    const int raw = std::system(command.c_str());
    EXPECT_EQ(WEXITSTATUS(raw), 2);
    EXPECT_EQ(readWholeFile(tempPath("err2")),
              "ripplemoor-replay: " + missing + ": cannot read the script: No such file or directory\n");
    const std::string dirCommand = std::string(REPLAY_BINARY) + " / 2> " + tempPath("err2");
    EXPECT_EQ(WEXITSTATUS(std::system(dirCommand.c_str())), 2);
    EXPECT_EQ(readWholeFile(tempPath("err2")), "ripplemoor-replay: /:1: cannot read the script: Is a directory\n");
    std::remove(tempPath("err2").c_str());
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

// The last line counts without its newline, and CRLF scripts read as their LF
// twins, errors on the same lines.
TEST(Replay, LineEndingsDoNotChangeWhatRuns)
{
    const std::string script = "drop 10 10 2 0.05\nstep 3\nhash\nmode 6\nstep 1\nhash\n";
    const ReplayRun plain = replay(script);
    ASSERT_EQ(plain.status, 0) << plain.err;
    ASSERT_EQ(lines(plain.out).size(), 2u);

    const ReplayRun unterminated = replay(script.substr(0, script.size() - 1));
    EXPECT_EQ(unterminated.status, 0) << unterminated.err;
    EXPECT_EQ(unterminated.out, plain.out);
    std::string crlf;
    for (char c : script)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    const ReplayRun windows = replay(crlf, true);
    EXPECT_EQ(windows.status, 0) << windows.err;
    EXPECT_EQ(windows.out, plain.out);

    expectError("hash\nbogus", "2: unknown command 'bogus'");
    expectError("hash\r\nstep 1 2\r\n", "2: unexpected word '2' after 'step'");
    expectError("hash\r\n\r\nstep x\r\n", "3: malformed step count 'x'");
}

// The default is never Highway's one-lane SCALAR target, which is slower than the
// portable loops: they lead where it is the kernel's best, and come last elsewhere.
TEST(ReplaySolver, ListsTheDefaultFirstAndNeverDefaultsToScalar)
{
    const ReplayRun run = replay("", false, " --target list");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const std::vector<std::string> names = lines(run.out);
    EXPECT_EQ(names, simd::targetNames());
    ASSERT_GE(names.size(), 2u);
    EXPECT_EQ(std::count(names.begin(), names.end(), "portable"), 1);
    EXPECT_NE(names.front(), "SCALAR");
    if (names.front() == "portable")
        EXPECT_EQ(names[1], "SCALAR");
    else
        EXPECT_EQ(names.back(), "portable");
}

TEST(ReplaySolver, EveryListedSolverGivesTheSameHashes)
{
    const std::string script = "drop 80 80 5 0.3\ndrop 10 150 3 0.2\nmode 6\nstep 60\nhash\nmode 5\nstep 20\nhash\n";
    const ReplayRun reference = replay(script);
    ASSERT_EQ(reference.status, 0) << reference.err;
    ASSERT_EQ(lines(reference.out).size(), 2u);
    for (const std::string& name : simd::targetNames()) {
        const ReplayRun run = replay(script, true, " --target " + name);
        EXPECT_EQ(run.status, 0) << name << ": " << run.err;
        EXPECT_EQ(run.out, reference.out) << name;
    }
}

TEST(ReplaySolver, TheDeprecatedSolverOptionSaysSoAndChoosesTheTarget)
{
    const std::string script = "drop 80 80 6 0.2\nstep 20\nhash\n";
    const ReplayRun chosen = replay(script, false, " --target portable"),
                    deprecated = replay(script, false, " --solver=portable");
    EXPECT_EQ(deprecated.status, 0);
    EXPECT_EQ(deprecated.out, chosen.out);
    EXPECT_EQ(deprecated.err, "ripplemoor-replay: --solver is deprecated; use --target\n");
    EXPECT_EQ(replay("", false, " --solver list").out, replay("", false, " --target list").out);
}

TEST(ReplaySolver, UnknownOrUnavailableNamesStopWithStatusTwo)
{
    // A real Highway target of some other processor family is "unavailable" here.
    const std::vector<std::string>& offered = simd::targetNames();
    const std::string foreign =
        std::find(offered.begin(), offered.end(), "NEON") == offered.end() ? "NEON" : "AVX2";
    for (const std::string& name : {std::string("warp-drive"), foreign, std::string("avx2"), std::string("")}) {
        const ReplayRun run = replay("hash\n", false, " --target '" + name + "'");
        EXPECT_EQ(run.status, 2) << name;
        EXPECT_EQ(run.out, "") << name;
        const std::string expected = "ripplemoor-replay: unknown or unavailable target '" + name +
                                     "'; this processor offers: " + simd::targetList(" ") + "\n";
        EXPECT_EQ(run.err, expected);
        // The deprecated spelling, in both forms, says the same after its note.
        for (const std::string& option : {" --solver '" + name + "'", " '--solver=" + name + "'"}) {
            const ReplayRun old = replay("hash\n", false, option);
            EXPECT_EQ(old.status, 2) << name;
            EXPECT_EQ(old.err, "ripplemoor-replay: --solver is deprecated; use --target\n" + run.err) << name;
        }
    }
}

} // namespace
