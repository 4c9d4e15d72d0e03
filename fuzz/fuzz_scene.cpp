// Arbitrary bytes as a scene: the TOML text up to the first NUL byte, and after
// it the bytes that any mask or bed map the scene names reads as. The reader must refuse
// them with a SceneError or return a whole, consistent scene.

#include <cmath>
#include <cstdint>
#include <string>

#include "scene/bed_map.h"
#include "scene/mask.h"
#include "scene/scene.h"
#include "scene/scene_format.h"

namespace {

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// Enough for any scene a test would hold, small enough for many runs a second.
constexpr uint64_t LARGEST_BASIN = uint64_t(1) << 20;
constexpr uint64_t LARGEST_MASK = uint64_t(1) << 18;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t split = input.find('\0');
    const std::string text = input.substr(0, split);
    const std::string picture = split == std::string::npos ? std::string() : input.substr(split + 1);
    const MaskLoader fromInput = [&](const std::string&) {
        return decodeMask(reinterpret_cast<const unsigned char*>(picture.data()), picture.size(), LARGEST_MASK);
    };
    const BedMapLoader mapFromInput = [&](const std::string&) {
        return decodeBedMap(reinterpret_cast<const unsigned char*>(picture.data()), picture.size(), LARGEST_MASK);
    };
    try {
        const Scene scene = parseScene(text, "fuzz.toml", ".", fromInput, mapFromInput, LARGEST_BASIN);
        const BasinConfig& c = scene.config;
        check(c.width >= 3 && c.height >= 3);
        check(uint64_t(c.width) * uint64_t(c.height) <= LARGEST_BASIN);
        check(scene.walls.size() == size_t(c.width) * size_t(c.height));
        for (uint8_t cell : scene.walls)
            check(cell <= 1);
        check(scene.colorMode >= FIRST_MODE && scene.colorMode <= LAST_MODE);
        check(c.cellSize > 0.0f && c.timestep > 0.0f && c.restHeight > 0.0f && c.gravity > 0.0);
        // A bed is whole and every cell of it below the rest level, whatever it came from.
        check(scene.bed.empty() || scene.bed.size() == scene.walls.size());
        for (float z : scene.bed)
            check(std::isfinite(z) && z < c.restHeight);
    } catch (const SceneError& e) {
        check(e.what()[0] != '\0');
    }
    return 0;
}
