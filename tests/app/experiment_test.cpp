// The experiment saved from the program and loaded back: the same walls, size,
// constants, mode and camera; files named by the time, never overwritten.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "app/experiment.h"
#include "app/wall_pen.h"
#include "input/controls.h"

namespace {

struct TempFolder {
    std::string path;
    TempFolder()
    {
        char name[] = "/tmp/ripplemoor-experiment-XXXXXX";
        path = mkdtemp(name);
    }
    ~TempFolder()
    {
        for (const char* name : {"/ripplemoor-20261208-134507.toml", "/ripplemoor-20261208-134507.png",
                                 "/ripplemoor-20261208-134507-2.toml", "/ripplemoor-20261208-134507-2.png"})
            std::remove((path + name).c_str());
        rmdir(path.c_str());
    }
};

bool exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

// 2026-12-08 13:45:07 in the local time zone.
std::time_t aMoment()
{
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 11;
    t.tm_mday = 8;
    t.tm_hour = 13;
    t.tm_min = 45;
    t.tm_sec = 7;
    t.tm_isdst = -1;
    return std::mktime(&t);
}

} // namespace

TEST(Experiment, SavedAndLoadedGivesTheSameWallsSizeModeAndCamera)
{
    if (!SCENE_PNG)
        GTEST_SKIP() << "this build writes no PNG masks, so it saves no experiment";
    TempFolder folder;
    Program p;
    BasinConfig config;
    config.width = 70;
    config.height = 45;
    config.timestep = 0.05f;
    startProgram(p, config, 3);
    penCells(p.basin, 20, 20, 2, true);
    penCells(p.basin, 69, 0, 1, true);
    p.basin.colorMode = MODE_SPEED_SQ;
    p.view.camera.AddTheta(0.7);
    p.view.camera.AddRadius(-12.5);
    p.basin.addDrop(50, 30, 3, 0.1f);

    const std::string path = saveExperiment(p, folder.path, aMoment());
    EXPECT_EQ(path, folder.path + "/ripplemoor-20261208-134507.toml");
    EXPECT_TRUE(exists(folder.path + "/ripplemoor-20261208-134507.png"));

    Program q;
    loadScene(q, readScene(path), 1);
    EXPECT_EQ(q.basin.width(), 70);
    EXPECT_EQ(q.basin.height(), 45);
    EXPECT_EQ(q.basin.config().timestep, 0.05f);
    EXPECT_TRUE(q.basin.walls == p.basin.walls);
    EXPECT_EQ(q.basin.colorMode, MODE_SPEED_SQ);
    EXPECT_EQ(q.view.camera.theta, p.view.camera.theta);
    EXPECT_EQ(q.view.camera.phi, p.view.camera.phi);
    EXPECT_EQ(q.view.camera.radius, p.view.camera.radius);
    EXPECT_EQ(q.view.camera.target.x, p.view.camera.target.x);
    // At rest, walls dry.
    for (size_t cell = 0; cell < q.basin.cellCount(); ++cell)
        ASSERT_EQ(q.basin.h[cell], q.basin.walls[cell] != 0 ? 0.0f : 1.0f) << cell;

    // A second save in the same second takes the next free name.
    const std::string again = saveExperiment(q, folder.path, aMoment());
    EXPECT_EQ(again, folder.path + "/ripplemoor-20261208-134507-2.toml");
    // And the same basin stepped from either gives the same water.
    Basin fromFirst = basinOfScene(readScene(path));
    Basin fromSecond = basinOfScene(readScene(again));
    fromFirst.addDrop(10, 10, 4, 0.2f);
    fromSecond.addDrop(10, 10, 4, 0.2f);
    for (int i = 0; i < 20; ++i) {
        fromFirst.step();
        fromSecond.step();
    }
    EXPECT_EQ(fromFirst.stateHash(), fromSecond.stateHash());
}

TEST(Experiment, FunctionKeysLoadThePresetsAndKeepTheGenerator)
{
    // The presets of the source tree, wherever this test runs from.
    setenv("RIPPLEMOOR_SCENES", PRESETS_FOLDER, 1);
    Program p;
    startProgram(p, BasinConfig{}, 11);
    const DropGenerator generator = p.basin.generator;
    for (int n = 1; n <= FUNCTION_PRESET_COUNT; ++n) {
        ASSERT_TRUE(pressFunctionKey(p, n)) << n;
        const Basin preset = basinOfScene(readScene(FUNCTION_PRESETS[n - 1]));
        EXPECT_TRUE(p.basin.walls == preset.walls) << FUNCTION_PRESETS[n - 1];
        EXPECT_EQ(p.basin.width(), preset.width());
        long walls = 0;
        for (uint8_t w : p.basin.walls)
            walls += w != 0;
        // Every preset but the open channel has walls.
        EXPECT_EQ(walls > 0, std::string(FUNCTION_PRESETS[n - 1]) != "channel") << FUNCTION_PRESETS[n - 1];
        EXPECT_EQ(p.basin.generator.front, generator.front);
        // Seen whole, even at the default 160 x 160 size.
        EXPECT_GT(p.view.camera.radius, Camera().radius);
    }
    EXPECT_FALSE(pressFunctionKey(p, 0));
    EXPECT_FALSE(pressFunctionKey(p, 6));
    EXPECT_EQ(std::string(FUNCTION_PRESETS[1]), "two-slits");
}
