// The replay tool on scenes: --scene gives the library's basin, the script's
// walls refine it, and a bad scene or a 'basin' line after one is status 2 with
// the file and line.

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cinttypes>
#include <cstdio>
#include <string>

#include "scene/scene.h"
#include "scene_test_support.h"
#include "support/command_run.h"
#include "sim/walls.h"

#ifndef REPLAY_BINARY
#error "REPLAY_BINARY must name the ripplemoor-replay executable"
#endif

namespace {

using ReplayRun = CommandRun;

ReplayRun replay(const TempFolder& dir, const std::string& options, const std::string& script)
{
    writeBytes(dir / "script.replay", script);
    return runCommand(std::string(REPLAY_BINARY) + " " + options + " " + (dir / "script.replay"), dir / "out",
                      dir / "err");
}

const char* const SCRIPT = "drop 30 20 5 0.3\nstep 40\nhash\n";

// SCRIPT on the basin, as the tool prints it.
std::string hashesOf(Basin basin)
{
    basin.addDrop(30, 20, 5, 0.3f);
    for (int k = 0; k < 40; ++k)
        basin.step();
    char line[40];
    std::snprintf(line, sizeof line, "fnv1a64 %016" PRIx64 "\n", basin.stateHash());
    return line;
}

TEST(ReplayScene, EveryPresetAndASavedSceneGiveTheLibrarysBasin)
{
    TempFolder dir;
    for (const char* name : {"one-slit", "two-slits", "harbour", "corner-reflector", "channel"}) {
        SCOPED_TRACE(name);
        const ReplayRun run = replay(dir, std::string("--scene=") + name, SCRIPT);
        ASSERT_EQ(run.status, 0) << run.err;
        const Scene scene = readScene(std::string(PRESETS_SOURCE_DIR) + "/" + name + ".toml");
        EXPECT_EQ(run.out, hashesOf(basinOfScene(scene)));
    }
    // A scene of another size and constants with a mask, on three threads.
    Scene scene = parseScene("[basin]\nwidth = 45\nheight = 37\ncell_size = 0.2\ntimestep = 0.03\n"
                             "gravity = 9.81\nrest_height = 0.8\n[walls]\nrectangles = [[20, 0, 21, 30]]\n"
                             "[view]\nmode = 5\n",
                             "s.toml", ".");
    writeScene(scene, dir / "saved.toml");
    const ReplayRun run = replay(dir, "--threads 3 --scene " + (dir / "saved.toml"), SCRIPT);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, hashesOf(basinOfScene(scene)));
}

TEST(ReplayScene, TheScriptsWallAndClearRefineTheScene)
{
    TempFolder dir;
    const ReplayRun run = replay(dir, "--scene=harbour", std::string("clear\nwall 10 10 12 50\n") + SCRIPT);
    ASSERT_EQ(run.status, 0) << run.err;
    Basin basin = basinOfScene(readScene(std::string(PRESETS_SOURCE_DIR) + "/harbour.toml"));
    std::fill(basin.walls.begin(), basin.walls.end(), uint8_t(0));
    fillWalls(basin, 10, 10, 12, 50);
    basin.reset();
    EXPECT_EQ(run.out, hashesOf(basin));
    EXPECT_NE(run.out, hashesOf(basinOfScene(readScene(std::string(PRESETS_SOURCE_DIR) + "/harbour.toml"))));
}

TEST(ReplayScene, BadScenesAndABasinAfterOneAreStatusTwoWithTheirLine)
{
    TempFolder dir;
    ReplayRun run = replay(dir, "--scene=two-slits", "# made by the scene\nbasin 40 40\nhash\n");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "ripplemoor-replay: " + (dir / "script.replay") +
                           ":2: 'basin' cannot follow a scene: the scene sets the basin\n");
    EXPECT_EQ(run.out, "");

    writeBytes(dir / "bad.toml", "[basin]\nwidth = 40\ngravity = nan\n");
    run = replay(dir, "--scene=" + (dir / "bad.toml"), "hash\n");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err.rfind("ripplemoor-replay: " + (dir / "bad.toml") + ":3: gravity must be", 0), 0u) << run.err;
    EXPECT_EQ(run.out, "");

    run = replay(dir, "--scene=three-slits", "hash\n");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("three-slits: no such scene file or preset (presets: beach, channel,"), std::string::npos)
        << run.err;
    run = replay(dir, "--scene=", "hash\n");
    EXPECT_EQ(run.status, 2);
}

} // namespace
