#include "scene/scene.h"

#include <algorithm>
#include <stdexcept>

namespace {

std::string located(const std::string& file, long line, const std::string& message)
{
    return line > 0 ? file + ":" + std::to_string(line) + ": " + message : file + ": " + message;
}

} // namespace

SceneError::SceneError(const std::string& file, long line, const std::string& message)
    : std::runtime_error(located(file, line, message)), file_(file), line_(line), message_(message)
{
}

Basin basinOfScene(const Scene& scene, int threads)
{
    BasinConfig config = scene.config;
    config.threads = threads;
    checkBasinConfig(config);
    if (scene.walls.size() != size_t(config.width) * size_t(config.height))
        throw std::invalid_argument("the scene's walls are not " + std::to_string(config.width) + " x " +
                                    std::to_string(config.height) + " cells");
    if (!scene.bed.empty() && scene.bed.size() != scene.walls.size())
        throw std::invalid_argument("the scene's bed is not " + std::to_string(config.width) + " x " +
                                    std::to_string(config.height) + " cells");
    Basin basin(config);
    basin.walls = scene.walls;
    basin.colorMode = scene.colorMode;
    if (!scene.bed.empty())
        basin.bed = scene.bed;
    basin.reset(); // walls hold no water; the water rests over the bed
    for (const SceneSource& s : scene.sources)
        basin.addSource(s.line ? lineSource(basin, s.x0, s.y0, s.x1, s.y1, s.period, s.amplitude, s.phase, s.ramp)
                               : pointSource(basin, s.x0, s.y0, s.radius, s.period, s.amplitude, s.phase, s.ramp));
    if (scene.sponge.width > 0)
        setSponge(basin, scene.sponge.width, scene.sponge.edges, scene.sponge.strength);
    for (const Gauge& g : scene.gauges)
        basin.addGauge(g.x, g.y);
    return basin;
}

Scene sceneOfBasin(const Basin& basin)
{
    Scene scene;
    scene.config = basin.config();
    scene.walls.resize(basin.walls.size());
    std::transform(basin.walls.begin(), basin.walls.end(), scene.walls.begin(),
                   [](uint8_t cell) { return uint8_t(cell != 0 ? 1 : 0); });
    scene.colorMode = basin.colorMode;
    for (const WaveSource& w : basin.sources)
        scene.sources.push_back({w.kind == WaveSource::LINE, w.x0, w.y0, w.x1, w.y1, w.radius, w.period, w.amplitude,
                                 w.phase, w.ramp});
    scene.sponge = {basin.sponge.width, basin.sponge.edges, basin.sponge.strength};
    if (std::any_of(basin.bed.begin(), basin.bed.end(), [](float z) { return z != 0.0f; }))
        scene.bed = basin.bed;
    scene.gauges = basin.gauges;
    return scene;
}
