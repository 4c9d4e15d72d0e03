// The wave tank in scene files: [[source]], [sponge], [bed] and [[gauge]], read,
// written back and made into basins; bad values located; the tank presets.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "scene/scene.h"
#include "scene_test_support.h"

namespace {

std::string errorOf(const std::string& text)
{
    try {
        parseScene(text, "tank.toml", ".");
    } catch (const SceneError& e) {
        return e.what();
    }
    return "";
}

const char* const TANK = R"(
[basin]
width = 90
height = 60

[walls]
rectangles = [[80, 0, 89, 59]]

[[source]]
kind = "line"
from = [4, 1]
to = [4, 58]
period = 1.7
amplitude = 0.01
ramp = 1.5

[[source]]
kind = "point"
at = [40, 30]
radius = 2
period = 1.1
amplitude = 0.003
phase = 0.25

[sponge]
width = 8
edges = "ws"
strength = 0.4

[bed]
constant = 0.05
slope = [40, 79, 0.05, 0.8]
rectangles = [[10, 10, 20, 20, -0.5]]

[[gauge]]
at = [30, 30]

[[gauge]]
at = [70, 5]
)";

TEST(SceneTank, EveryPartIsReadIntoTheBasinAndWrittenBackToTheSameBytes)
{
    const Scene scene = parseScene(TANK, "tank.toml", ".");
    ASSERT_EQ(scene.sources.size(), 2u);
    EXPECT_TRUE(scene.sources[0].line);
    EXPECT_EQ(scene.sources[1].radius, 2);
    EXPECT_EQ(scene.sources[1].phase, 0.25);
    EXPECT_EQ(scene.sponge.width, 8);
    EXPECT_EQ(scene.sponge.edges, unsigned(SPONGE_WEST | SPONGE_SOUTH));
    ASSERT_EQ(scene.bed.size(), size_t(90 * 60));
    EXPECT_EQ(scene.bed[size_t(15 + 15 * 90)], -0.5f);  // the rectangle, last
    EXPECT_EQ(scene.bed[size_t(5 + 40 * 90)], 0.05f);   // the constant
    EXPECT_EQ(scene.bed[size_t(79 + 40 * 90)], 0.8f);   // the slope's top
    EXPECT_GT(scene.bed[size_t(60 + 40 * 90)], 0.05f);
    ASSERT_EQ(scene.gauges.size(), 2u);

    Basin basin = basinOfScene(scene);
    EXPECT_EQ(basin.sources.size(), 2u);
    EXPECT_EQ(basin.sponge.width, 8);
    EXPECT_EQ(basin.gauges.size(), 2u);
    EXPECT_EQ(basin.h[size_t(basin.cellIndex(15, 15))], 1.5f); // at rest over the bed
    EXPECT_EQ(basin.h[size_t(basin.cellIndex(85, 15))], 0.0f); // a wall

    // Basin -> scene -> file -> scene -> basin: the same steps, bit for bit.
    TempFolder folder;
    writeScene(sceneOfBasin(basin), folder / "tank.toml");
    const std::string first = readBytes(folder / "tank.toml");
    Basin again = basinOfScene(readScene(folder / "tank.toml"));
    writeScene(sceneOfBasin(again), folder / "tank.toml");
    EXPECT_EQ(readBytes(folder / "tank.toml"), first);
    for (int k = 0; k < 60; ++k) {
        basin.step();
        again.step();
    }
    EXPECT_EQ(again.stateHash(), basin.stateHash());
    EXPECT_EQ(again.gaugeLog.h, basin.gaugeLog.h);
}

TEST(SceneTank, BadTankValuesGiveALocatedMessage)
{
    const std::string basin = "[basin]\nwidth = 40\nheight = 30\n[walls]\nrectangles = [[30, 0, 39, 29]]\n";
    const struct {
        const char* what;
        std::string text, expected;
    } cases[] = {
        {"source kind", "[[source]]\nkind = \"wave\"\n", "tank.toml:7: a source needs kind"},
        {"point without at", "[[source]]\nkind = \"point\"\nperiod = 1\namplitude = 1\n",
         "tank.toml:6: a point source needs at"},
        {"point at the border", "[[source]]\nkind = \"point\"\nat = [0, 5]\nperiod = 1\namplitude = 1\n",
         "tank.toml:6: a point source's centre (0, 5) is outside"},
        {"line with at", "[[source]]\nkind = \"line\"\nfrom = [1, 1]\nto = [5, 5]\nat = [2, 2]\nperiod = 1\namplitude = 1\n",
         "a line source has from and to"},
        {"zero period", "[[source]]\nkind = \"line\"\nfrom = [1, 1]\nto = [5, 5]\nperiod = 0\namplitude = 1\n",
         "period must be a finite positive number"},
        {"NaN amplitude", "[[source]]\nkind = \"point\"\nat = [5, 5]\nperiod = 1\namplitude = nan\n",
         "amplitude must be finite"},
        {"unknown source key", "[[source]]\nkind = \"point\"\nfreq = 3\n", "tank.toml:8: unknown key 'freq' in [[source]]"},
        {"negative sponge", "[sponge]\nwidth = -1\n", "tank.toml:7: the sponge's width must be from 0"},
        {"sponge edges", "[sponge]\nedges = \"up\"\n", "sponge edges must be some of the letters"},
        {"sponge too wide", "[sponge]\nwidth = 20\nedges = \"n\"\n", "is more than half the basin's 28 water cells"},
        {"bed at the rest level", "[bed]\nconstant = 1.0\n", "tank.toml:7: the bed's constant must be finite and below"},
        {"bed NaN", "[bed]\nrectangles = [[1, 1, 2, 2, nan]]\n", "a bed rectangle's z must be finite"},
        {"bed slope backwards", "[bed]\nslope = [10, 5, 0, 0.5]\n", "the slope's x1 must be from 11"},
        {"gauge in a wall", "[[gauge]]\nat = [35, 3]\n", "tank.toml:7: gauge (35, 3) is in a wall"},
        {"gauge outside", "[[gauge]]\nat = [3, 30]\n", "gauge (3, 30) is outside the basin"},
        {"gauge without at", "[[gauge]]\n", "a gauge needs at"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string message = errorOf(basin + c.text);
        EXPECT_NE(message.find(c.expected), std::string::npos) << message;
    }
}

TEST(SceneTank, ThePresetsHoldTheirWaveMakersSpongesBedsAndGauges)
{
    ASSERT_EQ(setenv("RIPPLEMOOR_SCENES", PRESETS_SOURCE_DIR, 1), 0);
    const Scene harbour = readScene("harbour-with-wave-maker");
    EXPECT_EQ(harbour.sources.size(), 1u);
    EXPECT_EQ(harbour.sponge.edges, unsigned(SPONGE_SOUTH));
    EXPECT_EQ(harbour.gauges.size(), 2u);
    EXPECT_EQ(harbour.walls[size_t(100 + 108 * 200)], 0); // the mouth
    EXPECT_EQ(harbour.walls[size_t(90 + 108 * 200)], 1);
    const Scene shelf = readScene("shelf");
    EXPECT_EQ(shelf.bed[size_t(20 + 200 * 240)], 0.75f); // on the shelf
    EXPECT_EQ(shelf.bed[size_t(200 + 60 * 240)], 0.0f);  // in the deep water
    const Scene beach = readScene("beach");
    EXPECT_LT(beach.bed[size_t(200 + 10 * 400)], beach.bed[size_t(300 + 10 * 400)]);
    // Each steps as a basin, with its waves and its gauges' records.
    for (const char* name : {"harbour-with-wave-maker", "shelf", "beach"}) {
        Basin b = basinOfScene(readScene(name));
        for (int k = 0; k < 1500; ++k)
            b.step();
        EXPECT_EQ(b.gaugeLog.steps.size(), b.gauges.empty() ? 0u : 1500u) << name;
        double moved = 0.0;
        for (size_t i = 0; i < b.h.size(); ++i)
            if (b.walls[i] == 0)
                moved = std::max(moved, std::abs(double(b.h[i]) + b.bed[i] - 1.0));
        EXPECT_GT(moved, 1e-6) << name;
    }
    unsetenv("RIPPLEMOOR_SCENES");
}

} // namespace
