// A bed from a PNG height map: the samples land on the cells the mask's
// convention gives, black and white are the map's low and high, 16-bit maps
// keep their precision, bad maps and bad bounds are refused naming the file,
// and a scene with a map saves and reloads to the same basin.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "scene/scene.h"
#include "scene_test_support.h"

namespace {

std::string sceneWithMap(const std::string& map, int width, int height, const std::string& more = "")
{
    return "[basin]\nwidth = " + std::to_string(width) + "\nheight = " + std::to_string(height) +
           "\n\n[bed]\nmap = \"" + map + "\"\n" + more;
}

std::string errorIn(const TempFolder& dir, const std::string& text)
{
    try {
        parseScene(text, "map.toml", dir.path());
    } catch (const SceneError& e) {
        return e.what();
    }
    return "accepted";
}

// 16-bit grey samples, linear, so stored as given (big-endian in the file).
void writeGrey16(const std::string& path, int width, int height, const std::vector<uint16_t>& samples)
{
    writePng(path, width, height, PNG_FORMAT_LINEAR_Y, samples.data());
}

// An 8-bit grey PNG stored in seven interlaced passes (Adam7), by libpng's own writer.
void writeInterlacedGrey8(const std::string& path, int width, int height, const std::vector<png_byte>& grey)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::vector<png_bytep> rows;
    for (int y = 0; y < height; ++y)
        rows.push_back(const_cast<png_bytep>(grey.data()) + size_t(y) * size_t(width));
    const bool written = [&] {
        if (setjmp(png_jmpbuf(png)))
            return false;
        png_init_io(png, file);
        png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_ADAM7,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        png_write_image(png, rows.data());
        png_write_end(png, nullptr);
        return true;
    }();
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    ASSERT_TRUE(written);
}

float at(const Scene& scene, int x, int y) { return scene.bed[size_t(x) + size_t(y) * size_t(scene.config.width)]; }

TEST(SceneBedMap, SamplesLandOnTheirCellsFromBlackAtLowToWhiteAtHigh)
{
    TempFolder dir;
    // 5 x 4, row 0 first (the top): distinct values, none symmetric under x <-> y.
    const std::vector<png_byte> grey = {
        0,   10,  20,  30,  255, //
        40,  50,  60,  51,  70,  //
        80,  90,  100, 110, 120, //
        130, 140, 150, 160, 170,
    };
    writePng(dir / "shelf.png", 5, 4, PNG_FORMAT_GRAY, grey);
    const Scene scene = parseScene(sceneWithMap("shelf.png", 5, 4, "low = 0.0\nhigh = 0.5\n"), "map.toml", dir.path());
    ASSERT_EQ(scene.bed.size(), 20u);
    EXPECT_EQ(at(scene, 0, 0), 0.0f);  // black: low
    EXPECT_EQ(at(scene, 4, 0), 0.5f);  // white, top right: high
    EXPECT_EQ(at(scene, 3, 1), 0.1f);  // 51 / 255 of 0.5, column 3 of the second row
    EXPECT_EQ(at(scene, 1, 3), float(0.5 * 140 / 255));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(at(scene, x, y), float(0.5 * grey[size_t(x + 5 * y)] / 255)) << x << ", " << y;

    // The basin stands at rest over it (interior cells): the rest level less the bed.
    const Basin basin = basinOfScene(scene);
    EXPECT_EQ(basin.h[size_t(basin.cellIndex(3, 1))], float(1.0 - double(0.1f)));
    EXPECT_EQ(basin.h[size_t(basin.cellIndex(1, 2))], float(1.0 - double(float(0.5 * 90 / 255))));
}

TEST(SceneBedMap, SlopeAndRectanglesApplyOverTheMapAndNegativeBedsRead)
{
    TempFolder dir;
    writePng(dir / "m.png", 6, 3, PNG_FORMAT_GRAY, std::vector<png_byte>(18, 255));
    const Scene scene = parseScene(sceneWithMap("m.png", 6, 3,
                                                "low = -0.5\nhigh = 0.25\nslope = [4, 5, 0.1, 0.2]\n"
                                                "rectangles = [[0, 0, 0, 0, 0.3]]\n"),
                                   "map.toml", dir.path());
    EXPECT_EQ(at(scene, 1, 1), 0.25f); // the map
    EXPECT_EQ(at(scene, 4, 2), 0.1f);  // the slope over it
    EXPECT_EQ(at(scene, 5, 0), 0.2f);
    EXPECT_EQ(at(scene, 0, 0), 0.3f);  // the rectangle, last
}

TEST(SceneBedMap, SixteenBitMapsKeepEverySampleAndItsByteOrder)
{
    TempFolder dir;
    // 1 and 256 trade places if the bytes are swapped; 1 is lost if read as 8 bits.
    writeGrey16(dir / "fine.png", 4, 3, {0, 1, 256, 65535, 32768, 0, 0, 0, 0, 0, 0, 65534});
    const Scene scene = parseScene(sceneWithMap("fine.png", 4, 3, "low = -1.0\nhigh = 0.5\n"), "map.toml", dir.path());
    EXPECT_EQ(at(scene, 0, 0), -1.0f);
    EXPECT_EQ(at(scene, 3, 0), 0.5f);
    EXPECT_EQ(at(scene, 1, 0), float(-1.0 + 1.5 * 1 / 65535));
    EXPECT_EQ(at(scene, 2, 0), float(-1.0 + 1.5 * 256 / 65535));
    EXPECT_EQ(at(scene, 0, 1), float(-1.0 + 1.5 * 32768 / 65535));
    EXPECT_LT(at(scene, 3, 2), 0.5f);
    EXPECT_GT(at(scene, 1, 0), -1.0f);
}

TEST(SceneBedMap, AnInterlacedMapReadsAsTheSamePictureStoredPlainly)
{
    TempFolder dir;
    std::vector<png_byte> grey(11 * 9);
    for (size_t k = 0; k < grey.size(); ++k)
        grey[k] = png_byte(k * 37 % 256);
    writeInterlacedGrey8(dir / "adam7.png", 11, 9, grey);
    writePng(dir / "plain.png", 11, 9, PNG_FORMAT_GRAY, grey);
    ASSERT_NE(readBytes(dir / "adam7.png"), readBytes(dir / "plain.png"));
    const std::string bounds = "low = 0.0\nhigh = 0.5\n";
    const Scene interlaced = parseScene(sceneWithMap("adam7.png", 11, 9, bounds), "map.toml", dir.path());
    const Scene plain = parseScene(sceneWithMap("plain.png", 11, 9, bounds), "map.toml", dir.path());
    EXPECT_EQ(interlaced.bed, plain.bed);
    EXPECT_EQ(at(interlaced, 10, 8), float(0.5 * grey[98] / 255));
}

TEST(SceneBedMap, BadMapsAndBoundsAreRefusedNamingTheFileAndLine)
{
    TempFolder dir;
    writePng(dir / "ok.png", 4, 3, PNG_FORMAT_GRAY, std::vector<png_byte>(12, 128));
    writePng(dir / "small.png", 3, 4, PNG_FORMAT_GRAY, std::vector<png_byte>(12, 128));
    writePng(dir / "rgb.png", 4, 3, PNG_FORMAT_RGB, std::vector<png_byte>(36, 128));
    writePng(dir / "alpha.png", 4, 3, PNG_FORMAT_GA, std::vector<png_byte>(24, 128));
    writeBytes(dir / "text.png", "no picture\n");
    writeBytes(dir / "wide.png", pngClaiming(100000, 1));
    writePng(dir / "big.png", 40, 30, PNG_FORMAT_GRAY, std::vector<png_byte>(1200, 7));
    const std::string whole = readBytes(dir / "big.png");
    writeBytes(dir / "half.png", whole.substr(0, whole.size() / 2));
    const std::string bounds = "low = 0.0\nhigh = 0.5\n";
    const struct {
        const char* what;
        std::string text, expected;
    } cases[] = {
        {"wrong size", sceneWithMap("small.png", 4, 3, bounds),
         "map.toml:6: the bed map '" + dir.path() + "/small.png' is 3 x 4 pixels, not the basin's 4 x 3 cells"},
        {"colour", sceneWithMap("rgb.png", 4, 3, bounds),
         "map.toml:6: the bed map '" + dir.path() + "/rgb.png': a bed map is a grey picture of 8 or 16 bits a pixel, "
                                                    "not RGB of 8 bits"},
        {"grey with alpha", sceneWithMap("alpha.png", 4, 3, bounds), "not grey with alpha of 8 bits"},
        {"not a PNG", sceneWithMap("text.png", 4, 3, bounds),
         "map.toml:6: the bed map '" + dir.path() + "/text.png': not a PNG picture"},
        {"missing", sceneWithMap("none.png", 4, 3, bounds),
         "map.toml:6: cannot read the bed map '" + dir.path() + "/none.png': No such file"},
        {"a folder", sceneWithMap(".", 4, 3, bounds), "/.' is not a regular file"},
        {"too large", sceneWithMap("wide.png", 4, 3, bounds), "/wide.png': a picture of 100000 x 1 pixels is too large"},
        {"truncated", sceneWithMap("half.png", 40, 30, bounds), "/half.png': unreadable PNG: "},
        {"not a name", "[bed]\nmap = 3\nlow = 0\nhigh = 0.5\n", "map.toml:2: map must be the name of a PNG file"},
        {"no bounds", sceneWithMap("ok.png", 4, 3), "map.toml:6: a bed map needs low and high"},
        {"no high", sceneWithMap("ok.png", 4, 3, "low = 0.0\n"), "a bed map needs low and high"},
        {"high at the rest level", sceneWithMap("ok.png", 4, 3, "low = 0.0\nhigh = 1.0\n"),
         "map.toml:8: the map's high must be finite and below the rest level 1"},
        {"low not finite", sceneWithMap("ok.png", 4, 3, "low = nan\nhigh = 0.5\n"),
         "map.toml:7: the map's low must be finite"},
        {"high below low", sceneWithMap("ok.png", 4, 3, "low = 0.5\nhigh = 0.25\n"),
         "map.toml:8: the map's high must be above its low 0.5, got 0.25"},
        {"equal bounds", sceneWithMap("ok.png", 4, 3, "low = 0.5\nhigh = 0.5\n"), "must be above its low"},
        {"with a constant", sceneWithMap("ok.png", 4, 3, bounds + "constant = 0.1\n"),
         "map.toml:6: a bed map sets every cell: give map or constant, not both"},
        {"bounds without a map", "[bed]\nhigh = 0.5\n", "map.toml:2: low and high go with a bed map"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string message = errorIn(dir, c.text);
        EXPECT_NE(message.find(c.expected), std::string::npos) << message;
    }
    // The good map beside them reads.
    EXPECT_EQ(errorIn(dir, sceneWithMap("ok.png", 4, 3, bounds)), "accepted");
}

TEST(SceneBedMap, ASceneWithAMapSavesAndReloadsToTheSameBasin)
{
    TempFolder dir;
    std::vector<uint16_t> samples(30 * 20);
    for (size_t k = 0; k < samples.size(); ++k)
        samples[k] = uint16_t((k * 2654435761u) >> 16); // varied, every cell its own
    writeGrey16(dir / "sea.png", 30, 20, samples);
    writeBytes(dir / "sea.toml", sceneWithMap("sea.png", 30, 20, "low = -0.3\nhigh = 0.9\n") +
                                     "\n[walls]\nrectangles = [[25, 0, 29, 19]]\n");
    Basin basin = basinOfScene(readScene(dir / "sea.toml"));
    basin.addDrop(10, 10, 3, 0.05f);

    writeScene(sceneOfBasin(basin), dir / "saved.toml");
    EXPECT_EQ(readBytes(dir / "saved.toml").find("map ="), std::string::npos) << "saved as rectangles";
    Basin again = basinOfScene(readScene(dir / "saved.toml"));
    again.addDrop(10, 10, 3, 0.05f);
    for (int x = 0; x < 25; ++x)
        for (int y = 0; y < 20; ++y)
            ASSERT_EQ(again.bed[size_t(again.cellIndex(x, y))], basin.bed[size_t(basin.cellIndex(x, y))])
                << x << ", " << y;
    for (int k = 0; k < 40; ++k) {
        basin.step();
        again.step();
    }
    EXPECT_EQ(again.stateHash(), basin.stateHash());
}

} // namespace
