// The scene writer: one canonical layout, so that a file read and written again
// comes out byte for byte the same, walls always as a mask beside it.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "scene/mask.h"
#include "scene/scene.h"
#include "scene/scene_format.h"
#include "sim/sponge.h"

namespace {

// A TOML basic string.
std::string quoted(const std::string& text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20 || c == 0x7f) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
        } else {
            out += char(c);
        }
    }
    return out + "\"";
}

std::string maskPathOf(const std::string& tomlPath)
{
    const std::string suffix = ".toml";
    const size_t slash = tomlPath.rfind('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    if (tomlPath.size() - nameStart > suffix.size() &&
        tomlPath.compare(tomlPath.size() - suffix.size(), suffix.size(), suffix) == 0)
        return tomlPath.substr(0, tomlPath.size() - suffix.size()) + ".png";
    return tomlPath + ".png";
}

std::string place(int x, int y) { return "[" + std::to_string(x) + ", " + std::to_string(y) + "]"; }

// The wave tank's tables; the bed as runs of one elevation along each row.
std::string tankText(const Scene& scene)
{
    std::string text;
    for (const SceneSource& s : scene.sources) {
        text += "\n[[source]]\n";
        if (s.line)
            text += "kind = \"line\"\nfrom = " + place(s.x0, s.y0) + "\nto = " + place(s.x1, s.y1) + "\n";
        else
            text += "kind = \"point\"\nat = " + place(s.x0, s.y0) + "\nradius = " + std::to_string(s.radius) + "\n";
        text += "period = " + formatReal(s.period) + "\namplitude = " + formatReal(s.amplitude) +
                "\nphase = " + formatReal(s.phase) + "\nramp = " + formatReal(s.ramp) + "\n";
    }
    if (scene.sponge.width > 0)
        text += "\n[sponge]\nwidth = " + std::to_string(scene.sponge.width) + "\nedges = \"" +
                spongeEdgeLetters(scene.sponge.edges) + "\"\nstrength = " + formatReal(scene.sponge.strength) + "\n";
    if (!scene.bed.empty()) {
        text += "\n[bed]\nrectangles = [\n";
        const int width = scene.config.width;
        for (int y = 0; y < scene.config.height; ++y) {
            const float* row = scene.bed.data() + size_t(y) * size_t(width);
            const uint8_t* walls = scene.walls.data() + size_t(y) * size_t(width);
            // Under a wall the bed is land and never read: left out.
            for (int x = 0; x < width;) {
                int end = x;
                while (end + 1 < width && row[end + 1] == row[x] && walls[end + 1] == walls[x])
                    ++end;
                if (row[x] != 0.0f && walls[x] == 0)
                    text += "  [" + std::to_string(x) + ", " + std::to_string(y) + ", " + std::to_string(end) + ", " +
                            std::to_string(y) + ", " + formatFloat(row[x]) + "],\n";
                x = end + 1;
            }
        }
        text += "]\n";
    }
    for (const Gauge& g : scene.gauges)
        text += "\n[[gauge]]\nat = " + place(g.x, g.y) + "\n";
    return text;
}

std::string sceneText(const Scene& scene, const std::string& maskName)
{
    const BasinConfig& c = scene.config;
    std::string text = "# A Ripplemoor scene: the basin, its walls and the view.\n\n";
    text += "[basin]\n";
    text += "width = " + std::to_string(c.width) + "\n";
    text += "height = " + std::to_string(c.height) + "\n";
    text += "cell_size = " + formatFloat(c.cellSize) + "\n";
    text += "timestep = " + formatFloat(c.timestep) + "\n";
    text += "gravity = " + formatReal(c.gravity) + "\n";
    text += "rest_height = " + formatFloat(c.restHeight) + "\n";
    text += "\n[walls]\n";
    text += "mask = " + quoted(maskName) + "\n";
    text += "\n[view]\n";
    const ColorMode mode = scene.colorMode >= FIRST_MODE && scene.colorMode <= LAST_MODE ? scene.colorMode : MODE_PLAIN;
    text += "mode = " + quoted(modeNames()[size_t(mode)]) + "\n";
    if (scene.camera.set)
        text += "camera = { radius = " + formatReal(scene.camera.radius) + ", phi = " + formatReal(scene.camera.phi) +
                ", theta = " + formatReal(scene.camera.theta) + " }\n";
    text += tankText(scene);
    return text;
}

} // namespace

void writeScene(const Scene& scene, const std::string& tomlPath)
{
    const BasinConfig& c = scene.config;
    try {
        checkBasinConfig(c);
    } catch (const std::exception& e) {
        throw SceneError(tomlPath, 0, std::string("cannot write the scene: ") + e.what());
    }
    if (scene.walls.size() != size_t(c.width) * size_t(c.height))
        throw SceneError(tomlPath, 0, "cannot write the scene: its walls are not " + std::to_string(c.width) + " x " +
                                          std::to_string(c.height) + " cells");
    const std::string maskPath = maskPathOf(tomlPath);
    const size_t slash = maskPath.rfind('/');
    const std::string maskName = slash == std::string::npos ? maskPath : maskPath.substr(slash + 1);
    try {
        writeMaskFile(maskPath, scene.walls, c.width, c.height);
    } catch (const MaskError& e) {
        throw SceneError(tomlPath, 0, e.what());
    }

    const std::string text = sceneText(scene, maskName);
    FILE* out = std::fopen(tomlPath.c_str(), "wb");
    int reason = out == nullptr ? errno : 0;
    if (out != nullptr && std::fwrite(text.data(), 1, text.size(), out) != text.size())
        reason = errno;
    if (out != nullptr && std::fclose(out) != 0 && reason == 0)
        reason = errno;
    if (reason != 0) {
        std::remove(maskPath.c_str());
        throw SceneError(tomlPath, 0, std::string("cannot write the scene: ") + std::strerror(reason));
    }
}
