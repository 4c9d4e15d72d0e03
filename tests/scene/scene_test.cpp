#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "scene/mask.h"
#include "scene/presets.h"
#include "scene/scene.h"
#include "scene/scene_format.h"
#include "scene_test_support.h"

#ifndef PRESETS_SOURCE_DIR
#error "PRESETS_SOURCE_DIR must name the source folder of the preset scenes"
#endif

namespace {

// The message of the SceneError that reading text throws, or "" if none.
std::string errorOf(const std::string& text, const std::string& folder = ".")
{
    try {
        parseScene(text, "hostile.toml", folder);
    } catch (const SceneError& e) {
        return e.what();
    }
    return "";
}

Scene sampleScene(uint32_t seed)
{
    std::mt19937 random(seed);
    Scene scene;
    scene.config.width = 3 + int(random() % 90);
    scene.config.height = 3 + int(random() % 70);
    // Floats of any bits within a sane range: the writer must find each one's digits.
    const auto anyFloat = [&](float lo, float hi) {
        return std::uniform_real_distribution<float>(lo, hi)(random);
    };
    scene.config.cellSize = anyFloat(0.01f, 2.0f);
    scene.config.timestep = anyFloat(0.001f, 0.1f);
    scene.config.gravity = std::uniform_real_distribution<double>(1.0, 20.0)(random);
    scene.config.restHeight = anyFloat(0.1f, 3.0f);
    scene.walls.resize(size_t(scene.config.width) * size_t(scene.config.height));
    for (uint8_t& cell : scene.walls)
        cell = random() % 5 == 0 ? 1 : 0;
    scene.colorMode = int(random() % MODE_COUNT);
    scene.camera.set = seed % 2 == 0;
    if (scene.camera.set) {
        scene.camera.radius = std::uniform_real_distribution<double>(1.0, 10000.0)(random);
        scene.camera.phi = std::uniform_real_distribution<double>(0.01, 3.1)(random);
        scene.camera.theta = std::uniform_real_distribution<double>(0.0, 6.28)(random);
    }
    return scene;
}

void expectSameScene(const Scene& a, const Scene& b)
{
    EXPECT_EQ(a.config.width, b.config.width);
    EXPECT_EQ(a.config.height, b.config.height);
    // Bits, not values: -0 and rounding slips would pass ==.
    EXPECT_EQ(std::memcmp(&a.config.cellSize, &b.config.cellSize, sizeof(float)), 0);
    EXPECT_EQ(std::memcmp(&a.config.timestep, &b.config.timestep, sizeof(float)), 0);
    EXPECT_EQ(std::memcmp(&a.config.gravity, &b.config.gravity, sizeof(double)), 0);
    EXPECT_EQ(std::memcmp(&a.config.restHeight, &b.config.restHeight, sizeof(float)), 0);
    EXPECT_EQ(a.walls, b.walls);
    EXPECT_EQ(a.colorMode, b.colorMode);
    EXPECT_EQ(a.camera.set, b.camera.set);
    if (a.camera.set && b.camera.set) {
        EXPECT_EQ(a.camera.radius, b.camera.radius);
        EXPECT_EQ(a.camera.phi, b.camera.phi);
        EXPECT_EQ(a.camera.theta, b.camera.theta);
    }
}

// ---- round trips ------------------------------------------------------------------

TEST(SceneRoundTrip, WrittenScenesReadBackBitForBitAndRewriteToTheSameBytes)
{
    TempFolder dir;
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const Scene scene = sampleScene(seed);
        writeScene(scene, dir / "a.toml");
        const Scene back = readScene(dir / "a.toml");
        expectSameScene(scene, back);
        writeScene(back, dir / "b.toml");
        EXPECT_EQ(readBytes(dir / "a.png"), readBytes(dir / "b.png"));
        // The mask is named relative to the scene, so only that name differs.
        std::string second = readBytes(dir / "b.toml");
        second.replace(second.find("\"b.png\""), 7, "\"a.png\"");
        EXPECT_EQ(readBytes(dir / "a.toml"), second);
    }
}

TEST(SceneRoundTrip, FileToBasinToFileKeepsTheBasinAndItsBits)
{
    TempFolder dir;
    const Scene preset = readScene(std::string(PRESETS_SOURCE_DIR) + "/harbour.toml");
    Basin basin = basinOfScene(preset);
    writeScene(sceneOfBasin(basin), dir / "saved.toml");
    const Scene saved = readScene(dir / "saved.toml");
    expectSameScene(sceneOfBasin(basin), saved);
    Basin again = basinOfScene(saved);
    EXPECT_EQ(basin.stateHash(), again.stateHash());
    for (Basin* b : {&basin, &again}) {
        b->addDrop(50, 80, 6, 0.2f);
        for (int k = 0; k < 40; ++k)
            b->step();
    }
    EXPECT_EQ(basin.stateHash(), again.stateHash());
    // Saved a second time, the files are the ones the first save wrote.
    writeScene(sceneOfBasin(again), dir / "again.toml");
    EXPECT_EQ(readBytes(dir / "saved.png"), readBytes(dir / "again.png"));
}

TEST(SceneRoundTrip, ABasinOfTheSceneIsAtRestWithDrainedWallsAndTheSceneMode)
{
    Scene scene = parseScene("[basin]\nwidth = 12\nheight = 9\nrest_height = 0.5\n"
                             "[walls]\nrectangles = [[2, 3, 4, 3], [11, 8, 11, 8]]\n[view]\nmode = \"speedSq\"\n",
                             "s.toml", ".");
    const Basin basin = basinOfScene(scene, 2);
    EXPECT_EQ(basin.threads(), 2);
    EXPECT_EQ(basin.colorMode, MODE_SPEED_SQ);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 12; ++x) {
            const bool wall = (y == 3 && x >= 2 && x <= 4) || (x == 11 && y == 8);
            const size_t i = size_t(basin.cellIndex(x, y));
            EXPECT_EQ(basin.walls[i] != 0, wall) << x << "," << y;
            EXPECT_EQ(basin.h[i], wall ? 0.0f : 0.5f) << x << "," << y;
        }
    // The walls of a basin are any non-zero cell; a scene's are 0 or 1.
    Basin marked = basinOfScene(scene);
    marked.walls[5] = 7;
    EXPECT_EQ(sceneOfBasin(marked).walls[5], 1);
    scene.walls.pop_back();
    EXPECT_THROW(basinOfScene(scene), std::invalid_argument);
}

TEST(SceneNumbers, EveryFloatAndDoubleIsWrittenInDigitsThatReadBackToItsBits)
{
    std::mt19937 random(7);
    for (int k = 0; k < 20000; ++k) {
        uint32_t bits = random();
        float f;
        std::memcpy(&f, &bits, sizeof f);
        if (!std::isfinite(f))
            continue;
        const std::string text = formatFloat(f);
        EXPECT_EQ(float(std::strtod(text.c_str(), nullptr)), f) << text;
        EXPECT_NE(text.find_first_of(".e"), std::string::npos) << text; // a TOML float, not an integer
        const uint64_t wide = (uint64_t(random()) << 32) | random();
        double d;
        std::memcpy(&d, &wide, sizeof d);
        if (std::isfinite(d)) {
            EXPECT_EQ(std::strtod(formatReal(d).c_str(), nullptr), d) << formatReal(d);
        }
    }
    EXPECT_EQ(formatFloat(0.3125f), "0.3125");
    EXPECT_EQ(formatReal(10.0), "10.0");
    // Through toml++ too: the parser's digits are the writer's.
    const Scene scene = parseScene("[basin]\ncell_size = " + formatFloat(0.1f) + "\ngravity = " +
                                       formatReal(9.80665) + "\n", "n.toml", ".");
    EXPECT_EQ(scene.config.cellSize, 0.1f);
    EXPECT_EQ(scene.config.gravity, 9.80665);
}

// ---- masks ------------------------------------------------------------------------

TEST(SceneMask, DarkOpaquePixelsAreWallInEveryColourTypeAndScaleToTheBasin)
{
    TempFolder dir;
    // 4 x 2 RGBA: dark opaque, dark transparent, light opaque, mid-grey dark.
    writePng(dir / "rgba.png", 4, 2, PNG_FORMAT_RGBA,
             {10, 10, 10, 255, 0, 0, 0, 0, 250, 240, 230, 255, 100, 100, 100, 255,
              255, 255, 255, 255, 0, 0, 255, 255, 0, 0, 0, 255, 200, 200, 200, 255});
    const MaskPicture rgba = readMaskFile(dir / "rgba.png");
    EXPECT_EQ(rgba.wall, (std::vector<uint8_t>{1, 0, 0, 1, 0, 1, 1, 0}));

    // 2 x 2 grey onto a 4 x 6 basin: each pixel covers 2 columns and 3 rows.
    writePng(dir / "grey.png", 2, 2, PNG_FORMAT_GRAY, {0, 255, 255, 0});
    const Scene scene = parseScene("[basin]\nwidth = 4\nheight = 6\n[walls]\nmask = \"grey.png\"\n", "s.toml",
                                   dir.path());
    EXPECT_EQ(scene.walls, (std::vector<uint8_t>{1, 1, 0, 0, 1, 1, 0, 0, 1, 1, 0, 0,
                                                 0, 0, 1, 1, 0, 0, 1, 1, 0, 0, 1, 1}));
    // Shrunk: 3 x 3 onto 2 x 2 takes the pixels under the cells' centres (0 and 2 of 3... 1.5 -> 2).
    writePng(dir / "three.png", 3, 3, PNG_FORMAT_GRAY, {0, 255, 255, 255, 255, 255, 255, 255, 0});
    const Scene small = parseScene("[basin]\nwidth = 3\nheight = 3\n[walls]\nmask = \"three.png\"\n", "s.toml",
                                   dir.path());
    EXPECT_EQ(small.walls, (std::vector<uint8_t>{1, 0, 0, 0, 0, 0, 0, 0, 1}));
    MaskPicture picture{3, 3, {1, 0, 0, 0, 0, 0, 0, 0, 1}};
    EXPECT_EQ(scaleMask(picture, 2, 2), (std::vector<uint8_t>{1, 0, 0, 1}));
    EXPECT_EQ(scaleMask(picture, 5, 1), (std::vector<uint8_t>{0, 0, 0, 0, 0}));
    EXPECT_EQ(scaleMask(picture, 6, 3)[0], 1);
}

TEST(SceneMask, RectanglesAddToTheMask)
{
    TempFolder dir;
    writePng(dir / "m.png", 3, 3, PNG_FORMAT_GRAY, {0, 255, 255, 255, 255, 255, 255, 255, 255});
    const Scene scene = parseScene("[basin]\nwidth = 3\nheight = 3\n[walls]\nmask = \"m.png\"\n"
                                   "rectangles = [[2, 2, 2, 2]]\n", "s.toml", dir.path());
    EXPECT_EQ(scene.walls, (std::vector<uint8_t>{1, 0, 0, 0, 0, 0, 0, 0, 1}));
}

// ---- hostile scenes ---------------------------------------------------------------

struct Hostile {
    const char* what;
    std::string text;
    std::string expected; // "FILE:LINE: ..." prefix and a word of the message
};

TEST(SceneErrors, HostileTextGivesALocatedMessageAndNoScene)
{
    const std::vector<Hostile> cases = {
        {"truncated table header", "[basin]\nwidth = 40\n[wal", "hostile.toml:3:"},
        {"truncated value", "[basin]\nwidth = ", "hostile.toml:2:"},
        {"truncated array", "[walls]\nrectangles = [[1, 2, 3", "hostile.toml:2:"},
        {"unknown table", "[basin]\n[sources]\n", "hostile.toml:2: unknown key 'sources'"},
        {"unknown key", "[basin]\nwidth = 40\ndepth = 3\n", "hostile.toml:3: unknown key 'depth' in [basin]"},
        {"unknown camera key", "[view]\ncamera = { radius = 5, phi = 1, theta = 1, roll = 0 }\n",
         "hostile.toml:2: unknown key 'roll' in the camera"},
        {"width as a float", "[basin]\nwidth = 160.0\n", "hostile.toml:2: width must be an integer"},
        {"width too small", "[basin]\nwidth = 2\n", "hostile.toml:2: width must be from 3"},
        {"height as text", "[basin]\nheight = \"160\"\n", "hostile.toml:2: height must be an integer"},
        {"basin not a table", "basin = 3\n", "hostile.toml:1: [basin] must be a table"},
        {"NaN cell size", "[basin]\ncell_size = nan\n", "hostile.toml:2: cell_size must be a finite positive"},
        {"infinite gravity", "[basin]\n\ngravity = inf\n", "hostile.toml:3: gravity must be a finite positive"},
        {"negative time step", "[basin]\ntimestep = -0.1\n", "hostile.toml:2: timestep must be a finite positive"},
        {"rest height beyond float", "[basin]\nrest_height = 1e300\n", "as a float32"},
        {"zero time step as a float", "[basin]\ntimestep = 1e-50\n", "as a float32"},
        {"too many cells", "[basin]\nwidth = 100000\nheight = 100000\n", "hostile.toml:1: cannot make the basin"},
        {"beyond memory", "[basin]\nwidth = 40000\nheight = 40000\n", "hostile.toml:1: cannot make the basin"},
        {"int overflow", "[basin]\nwidth = 99999999999\n", "hostile.toml:2: width must be from 3"},
        {"rectangle outside", "[walls]\nrectangles = [[0, 0, 160, 3]]\n", "hostile.toml:2: x1 must be from 0 to 159"},
        {"rectangle backwards", "[walls]\nrectangles = [[5, 5, 4, 5]]\n", "x1 must be from 5"},
        {"rectangle short", "[walls]\nrectangles = [[5, 5, 4]]\n", "a rectangle must be"},
        {"rectangles not a list", "[walls]\nrectangles = 4\n", "rectangles must be an array"},
        {"mask not text", "[walls]\nmask = 3\n", "mask must be the name of a PNG file"},
        {"unknown mode", "[view]\nmode = \"rainbow\"\n", "unknown colour mode 'rainbow' (plain, h,"},
        {"mode out of range", "[view]\nmode = 7\n", "mode must be from 0 to 6"},
        {"camera too near", "[view]\ncamera = { radius = 0.5, phi = 1, theta = 1 }\n", "radius must be from 1"},
        {"camera NaN", "[view]\ncamera = { radius = 5, phi = nan, theta = 1 }\n", "phi must be from"},
        {"camera incomplete", "[view]\ncamera = { radius = 5, phi = 1 }\n", "theta is missing"},
        {"not UTF-8", "[basin]\n# \xff\xfe\n", "hostile.toml:2:"},
        // Characters that toml++ 3.3 cannot classify: refused before it sees them.
        {"U+FEFE in a key", "[basin]\nw\xef\xbb\xbeidth = 5\n", "hostile.toml:2: the character U+FEFE"},
        {"U+00A1 after a value", "[basin]\nwidth = 5\xc2\xa1\n", "hostile.toml:2: the character U+00A1"},
        {"U+2D6E in a quoted key", "[basin]\n\n\"\xe2\xb5\xae\" = 1\n", "hostile.toml:3: the character U+2D6E"},
        {"escaped in a multi-line string", "[walls]\nmask = \"\"\"a\\\xc3\xa4\"\"\"\n", "U+00E4"},
    };
    for (const Hostile& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string message = errorOf(c.text);
        EXPECT_NE(message.find(c.expected), std::string::npos) << message;
        if (c.expected.rfind("hostile.toml", 0) != 0) {
            EXPECT_EQ(message.rfind("hostile.toml:", 0), 0u) << message;
        }
    }
}

TEST(SceneErrors, AnyCharacterReadsInCommentsAndOthersInStrings)
{
    // Faulty code points in comments, then a mask named with U+20AC, which reads.
    const std::string message = errorOf("# Hafenbecken \xc3\xa4 \xef\xbb\xbe\n[walls] # \xc2\xa1\n"
                                        "mask = \"\xe2\x82\xac.png\"\n");
    EXPECT_NE(message.find("hostile.toml:3: cannot read the mask './\xe2\x82\xac.png'"), std::string::npos) << message;
    // A '#' inside a string starts no comment.
    EXPECT_NE(errorOf("[walls]\nmask = \"#\xc3\xa4\"\n").find("U+00E4"), std::string::npos);
    EXPECT_NE(errorOf("[walls]\nmask = '''#\n\xc3\xa4'''\n").find("hostile.toml:3: the character U+00E4"),
              std::string::npos);
}

TEST(SceneErrors, HostileMasksAreRefusedBeforeTheyAreDecoded)
{
    TempFolder dir;
    writeBytes(dir / "text.png", "this is not a picture at all\n");
    writeBytes(dir / "empty.png", "");
    writeBytes(dir / "zero.png", pngClaiming(0, 0));
    writeBytes(dir / "wide.png", pngClaiming(100000, 1));
    writeBytes(dir / "vast.png", pngClaiming(60000, 60000));
    writeBytes(dir / "cut.png", pngClaiming(16, 16)); // a valid header, then no picture
    std::string truncated;
    writePng(dir / "whole.png", 64, 64, PNG_FORMAT_GRAY, std::vector<png_byte>(64 * 64, 0));
    truncated = readBytes(dir / "whole.png");
    writeBytes(dir / "half.png", truncated.substr(0, truncated.size() / 2));
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"missing.png", "cannot read the mask"},
        {"text.png", "not a PNG"},
        {"empty.png", "not a PNG"},
        {"zero.png", "unreadable PNG"}, // libpng refuses a zero size in the header
        {"wide.png", "100000 x 1 pixels"},
        {"vast.png", "60000 x 60000 pixels"},
        {"cut.png", "unreadable PNG"},
        {"half.png", "unreadable PNG"},
        {".", "not a regular file"},
    };
    for (const auto& [file, expected] : cases) {
        SCOPED_TRACE(file);
        const std::string message = errorOf("[basin]\nwidth = 16\n[walls]\n\nmask = \"" + file + "\"\n", dir.path());
        EXPECT_EQ(message.rfind("hostile.toml:5: ", 0), 0u) << message;
        EXPECT_NE(message.find(expected), std::string::npos) << message;
    }
}

TEST(SceneErrors, MissingFilesAndUnwritablePathsAreSceneErrors)
{
    TempFolder dir;
    try {
        readScene(dir / "none.toml");
        FAIL() << "no error";
    } catch (const SceneError& e) {
        EXPECT_EQ(e.file(), dir / "none.toml");
        EXPECT_EQ(e.line(), 0);
        EXPECT_EQ(std::string(e.what()), dir / "none.toml" + ": " + e.message());
        EXPECT_NE(e.message().find("No such file"), std::string::npos);
    }
    EXPECT_THROW(readScene(dir.path()), SceneError); // a folder
    Scene scene = parseScene("", "e.toml", ".");
    EXPECT_THROW(writeScene(scene, dir / "no/such/folder/s.toml"), SceneError);
    scene.walls.pop_back();
    EXPECT_THROW(writeScene(scene, dir / "s.toml"), SceneError);
}

TEST(SceneErrors, AnEmptySceneIsTheSeedBasin)
{
    const Scene scene = parseScene("# nothing but a comment\n", "e.toml", ".");
    const BasinConfig seed;
    EXPECT_EQ(scene.config.width, seed.width);
    EXPECT_EQ(scene.config.cellSize, seed.cellSize);
    EXPECT_EQ(scene.config.gravity, seed.gravity);
    EXPECT_EQ(scene.walls, std::vector<uint8_t>(160 * 160, 0));
    EXPECT_FALSE(scene.camera.set);
    EXPECT_EQ(basinOfScene(scene).stateHash(), Basin().stateHash());
}

// ---- presets ----------------------------------------------------------------------

TEST(ScenePresets, EachPresetLoadsByNameWithTheWallsItPromises)
{
    ASSERT_EQ(setenv("RIPPLEMOOR_SCENES", PRESETS_SOURCE_DIR, 1), 0);
    EXPECT_EQ(presetNames(),
              (std::vector<std::string>{"beach", "channel", "corner-reflector", "harbour", "harbour-with-wave-maker",
                                        "one-slit", "shelf", "two-slits"}));
    const auto wallAt = [](const Scene& s, int x, int y) { return s.walls[size_t(x + y * s.config.width)] != 0; };
    const Scene two = readScene("two-slits");
    EXPECT_TRUE(wallAt(two, 60, 10));
    EXPECT_FALSE(wallAt(two, 60, 65)); // the slits
    EXPECT_FALSE(wallAt(two, 60, 93));
    EXPECT_FALSE(wallAt(two, 59, 10));
    const Scene one = readScene("one-slit");
    EXPECT_FALSE(wallAt(one, 60, 80));
    EXPECT_TRUE(wallAt(one, 61, 20));
    const Scene harbour = readScene("harbour");
    EXPECT_FALSE(wallAt(harbour, 100, 80)); // the mouth
    EXPECT_TRUE(wallAt(harbour, 100, 60));
    const Scene channel = readScene("channel");
    EXPECT_EQ(channel.config.width, 400);
    EXPECT_EQ(channel.config.height, 40);
    EXPECT_TRUE(readScene("corner-reflector").walls[size_t(120 + 60 * 160)]);
    for (const std::string& name : presetNames())
        EXPECT_EQ(basinOfScene(readScene(name)).stateHash(), basinOfScene(readScene(findPreset(name))).stateHash());

    // A path is never a preset, and a name that is neither says what there is.
    EXPECT_FALSE(canNamePreset("./two-slits"));
    EXPECT_FALSE(canNamePreset("two-slits.toml"));
    try {
        readScene("three-slits");
        FAIL() << "no error";
    } catch (const SceneError& e) {
        EXPECT_NE(e.message().find("presets: beach, channel, corner-reflector, harbour, harbour-with-wave-maker, "
                                   "one-slit, shelf, two-slits"),
                  std::string::npos)
            << e.what();
    }
    unsetenv("RIPPLEMOOR_SCENES");
}

TEST(ScenePresets, AFileOfThePresetsNameInTheCurrentFolderWins)
{
    ASSERT_EQ(setenv("RIPPLEMOOR_SCENES", PRESETS_SOURCE_DIR, 1), 0);
    TempFolder dir;
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    writeBytes("harbour", "[basin]\nwidth = 5\nheight = 5\n");
    const Scene scene = readScene("harbour");
    ASSERT_EQ(chdir(previous), 0);
    unsetenv("RIPPLEMOOR_SCENES");
    EXPECT_EQ(scene.config.width, 5);
}

} // namespace
