#include "app/experiment.h"

#include <sys/stat.h>

const char* const FUNCTION_PRESETS[FUNCTION_PRESET_COUNT] = {"one-slit", "two-slits", "harbour",
                                                              "corner-reflector", "channel"};

namespace {

bool exists(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

} // namespace

void loadScene(Program& program, const Scene& scene, int threads)
{
    const DropGenerator generator = program.basin.generator;
    program.basin = basinOfScene(scene, threads);
    program.basin.generator = generator;
    program.basin.resetRanges();
    View& view = program.view;
    frameBasin(view.camera, program.basin.width(), program.basin.height(), true);
    if (scene.camera.set) {
        view.camera.radius = scene.camera.radius;
        view.camera.phi = scene.camera.phi;
        view.camera.theta = scene.camera.theta;
    }
    view.surface = SurfaceCache();
    view.walls.drawn.clear();
}

Scene sceneOfProgram(const Program& program)
{
    Scene scene = sceneOfBasin(program.basin);
    const Camera& camera = program.view.camera;
    scene.camera.set = true;
    scene.camera.radius = camera.radius;
    scene.camera.phi = camera.phi;
    scene.camera.theta = camera.theta;
    return scene;
}

std::string sceneFileName(const std::string& folder, std::time_t when)
{
    std::tm local{};
    localtime_r(&when, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    const std::string prefix = (folder.empty() || folder == "." ? std::string() : folder + "/") + "ripplemoor-" + stamp;
    std::string stem = prefix;
    for (int k = 2; exists(stem + ".toml") || exists(stem + ".png"); ++k)
        stem = prefix + "-" + std::to_string(k);
    return stem + ".toml";
}

std::string saveExperiment(const Program& program, const std::string& folder, std::time_t when)
{
    const std::string path = sceneFileName(folder, when);
    writeScene(sceneOfProgram(program), path);
    return path;
}
