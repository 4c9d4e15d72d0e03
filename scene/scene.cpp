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
    Basin basin(config);
    basin.walls = scene.walls;
    basin.colorMode = scene.colorMode;
    basin.reset(); // walls hold no water
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
    return scene;
}
