// The scene file's reader: TOML through toml++, each top-level table read by
// its own function, every key checked against the ones that table knows.

#define TOML_ENABLE_FORMATTERS 0
#include <toml++/toml.h>

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "scene/mask.h"
#include "scene/presets.h"
#include "scene/scene.h"
#include "scene/scene_format.h"

namespace {

long lineOf(const toml::node& node) { return long(node.source().begin.line); }

std::string listOf(const std::vector<std::string>& words)
{
    std::string text;
    for (const std::string& w : words)
        text += (text.empty() ? "" : ", ") + w;
    return text;
}

class Reader {
public:
    Reader(std::string name, std::string folder, const MaskLoader& loadMask)
        : name_(std::move(name)), folder_(std::move(folder)), loadMask_(loadMask)
    {
    }

    Scene read(const toml::table& root);

private:
    [[noreturn]] void fail(long line, const std::string& message) const { throw SceneError(name_, line, message); }
    [[noreturn]] void fail(const toml::node& at, const std::string& message) const { fail(lineOf(at), message); }

    // Refuses any key of the table that is not in known.
    void onlyKeys(const toml::table& table, const std::string& where, const std::vector<std::string>& known) const;
    const toml::table& tableAt(const toml::node& node, const std::string& what) const;

    long long integer(const toml::node& node, const std::string& what, long long lo, long long hi) const;
    double real(const toml::node& node, const std::string& what) const;
    double positiveReal(const toml::node& node, const std::string& what) const;
    float positiveFloat(const toml::node& node, const std::string& what) const;
    double realIn(const toml::node& node, const std::string& what, double lo, double hi) const;

    void readBasin(const toml::table& basin, Scene& scene) const;
    void readWalls(const toml::table& walls, Scene& scene) const;
    void readView(const toml::table& view, Scene& scene) const;

    std::string name_, folder_;
    const MaskLoader& loadMask_;
};

void Reader::onlyKeys(const toml::table& table, const std::string& where,
                      const std::vector<std::string>& known) const
{
    for (auto&& [key, node] : table) {
        if (std::find(known.begin(), known.end(), key.str()) == known.end())
            fail(long(key.source().begin.line), "unknown key '" + std::string(key.str()) + "' in " + where +
                                                    " (known: " + listOf(known) + ")");
    }
}

const toml::table& Reader::tableAt(const toml::node& node, const std::string& what) const
{
    const toml::table* table = node.as_table();
    if (table == nullptr)
        fail(node, what + " must be a table");
    return *table;
}

long long Reader::integer(const toml::node& node, const std::string& what, long long lo, long long hi) const
{
    const toml::value<int64_t>* value = node.as_integer();
    if (value == nullptr)
        fail(node, what + " must be an integer");
    const long long n = value->get();
    if (n < lo || n > hi)
        fail(node, what + " must be from " + std::to_string(lo) + " to " + std::to_string(hi) + ", got " +
                       std::to_string(n));
    return n;
}

double Reader::real(const toml::node& node, const std::string& what) const
{
    if (const toml::value<double>* value = node.as_floating_point())
        return value->get();
    if (const toml::value<int64_t>* value = node.as_integer())
        return double(value->get());
    fail(node, what + " must be a number");
}

double Reader::positiveReal(const toml::node& node, const std::string& what) const
{
    const double d = real(node, what);
    if (!std::isfinite(d) || !(d > 0.0))
        fail(node, what + " must be a finite positive number, got " + formatReal(d));
    return d;
}

// Kept as a float by the solver, so it must stay finite and positive as one.
float Reader::positiveFloat(const toml::node& node, const std::string& what) const
{
    const double d = positiveReal(node, what);
    const float f = float(d);
    if (!std::isfinite(f) || !(f > 0.0f))
        fail(node, what + " must be a finite positive number as a float32, got " + formatReal(d));
    return f;
}

double Reader::realIn(const toml::node& node, const std::string& what, double lo, double hi) const
{
    const double d = real(node, what);
    if (!(d >= lo && d <= hi))
        fail(node, what + " must be from " + formatReal(lo) + " to " + formatReal(hi) + ", got " + formatReal(d));
    return d;
}

void Reader::readBasin(const toml::table& basin, Scene& scene) const
{
    onlyKeys(basin, "[basin]", {"width", "height", "cell_size", "timestep", "gravity", "rest_height"});
    BasinConfig& c = scene.config;
    if (const toml::node* n = basin.get("width"))
        c.width = int(integer(*n, "width", 3, INT_MAX));
    if (const toml::node* n = basin.get("height"))
        c.height = int(integer(*n, "height", 3, INT_MAX));
    if (const toml::node* n = basin.get("cell_size"))
        c.cellSize = positiveFloat(*n, "cell_size");
    if (const toml::node* n = basin.get("timestep"))
        c.timestep = positiveFloat(*n, "timestep");
    if (const toml::node* n = basin.get("gravity"))
        c.gravity = positiveReal(*n, "gravity");
    if (const toml::node* n = basin.get("rest_height"))
        c.restHeight = positiveFloat(*n, "rest_height");
}

void Reader::readWalls(const toml::table& walls, Scene& scene) const
{
    onlyKeys(walls, "[walls]", {"mask", "rectangles"});
    const int width = scene.config.width, height = scene.config.height;
    if (const toml::node* n = walls.get("mask")) {
        const toml::value<std::string>* file = n->as_string();
        if (file == nullptr || file->get().empty())
            fail(*n, "mask must be the name of a PNG file");
        std::string path = file->get();
        if (path[0] != '/' && !folder_.empty())
            path = folder_ + "/" + path;
        MaskPicture mask;
        try {
            mask = loadMask_(path);
        } catch (const MaskError& e) {
            fail(*n, e.what());
        }
        scene.walls = scaleMask(mask, width, height);
    }
    if (const toml::node* n = walls.get("rectangles")) {
        const toml::array* list = n->as_array();
        if (list == nullptr)
            fail(*n, "rectangles must be an array of [x0, y0, x1, y1] arrays");
        for (const toml::node& item : *list) {
            const toml::array* corners = item.as_array();
            if (corners == nullptr || corners->size() != 4)
                fail(item, "a rectangle must be [x0, y0, x1, y1], its first and last cells");
            const int x0 = int(integer(*corners->get(0), "x0", 0, width - 1));
            const int y0 = int(integer(*corners->get(1), "y0", 0, height - 1));
            const int x1 = int(integer(*corners->get(2), "x1", x0, width - 1));
            const int y1 = int(integer(*corners->get(3), "y1", y0, height - 1));
            for (int y = y0; y <= y1; ++y)
                std::fill(scene.walls.begin() + (size_t(y) * size_t(width) + size_t(x0)),
                          scene.walls.begin() + (size_t(y) * size_t(width) + size_t(x1) + 1), uint8_t(1));
        }
    }
}

void Reader::readView(const toml::table& view, Scene& scene) const
{
    onlyKeys(view, "[view]", {"mode", "camera"});
    if (const toml::node* n = view.get("mode")) {
        if (const toml::value<std::string>* name = n->as_string()) {
            const int mode = modeOfName(name->get());
            if (mode < 0)
                fail(*n, "unknown colour mode '" + name->get() + "' (" + listOf(modeNames()) + ")");
            scene.colorMode = mode;
        } else {
            scene.colorMode = int(integer(*n, "mode", FIRST_MODE, LAST_MODE));
        }
    }
    if (const toml::node* n = view.get("camera")) {
        const toml::table& camera = tableAt(*n, "camera");
        onlyKeys(camera, "the camera", {"radius", "phi", "theta"});
        for (const char* key : {"radius", "phi", "theta"})
            if (camera.get(key) == nullptr)
                fail(*n, std::string("the camera needs radius, phi and theta; ") + key + " is missing");
        scene.camera.set = true;
        scene.camera.radius = realIn(*camera.get("radius"), "the camera's radius", CAMERA_RADIUS_MIN, CAMERA_RADIUS_MAX);
        scene.camera.phi = realIn(*camera.get("phi"), "the camera's phi", CAMERA_PHI_MIN, CAMERA_PHI_MAX);
        scene.camera.theta = realIn(*camera.get("theta"), "the camera's theta", 0.0, CAMERA_THETA_MAX);
    }
}

Scene Reader::read(const toml::table& root)
{
    // Each top-level table and its reader, in the order read: the basin first,
    // since walls and the rest are placed on it.
    using Part = void (Reader::*)(const toml::table&, Scene&) const;
    static const std::vector<std::pair<std::string, Part>> parts = {
        {"basin", &Reader::readBasin},
        {"walls", &Reader::readWalls},
        {"view", &Reader::readView},
    };
    std::vector<std::string> known;
    for (const auto& part : parts)
        known.push_back("[" + part.first + "]");
    for (auto&& [key, node] : root) {
        const auto found = std::find_if(parts.begin(), parts.end(), [&](const auto& p) { return p.first == key.str(); });
        if (found == parts.end())
            fail(long(key.source().begin.line),
                 "unknown key '" + std::string(key.str()) + "' (known: " + listOf(known) + ")");
    }

    Scene scene;
    for (const auto& [name, readPart] : parts) {
        const toml::node* node = root.get(name);
        if (node != nullptr)
            (this->*readPart)(tableAt(*node, "[" + name + "]"), scene);
        if (name == "basin") {
            // Refused sizes are refused here, before the walls are allocated.
            try {
                checkBasinConfig(scene.config);
            } catch (const std::exception& e) {
                fail(node != nullptr ? lineOf(*node) : 0, std::string("cannot make the basin: ") + e.what());
            }
            scene.walls.assign(size_t(scene.config.width) * size_t(scene.config.height), 0);
        }
    }
    return scene;
}

std::string folderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Scenes are a few lines; a mask holds anything large.
constexpr long MAX_SCENE_BYTES = 16L << 20;

std::string readText(const std::string& path)
{
    struct FileCloser {
        void operator()(FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<FILE, FileCloser> in(std::fopen(path.c_str(), "rb"));
    if (!in)
        throw SceneError(path, 0, std::string("cannot read the scene: ") + std::strerror(errno));
    struct stat info;
    if (fstat(fileno(in.get()), &info) != 0 || !S_ISREG(info.st_mode))
        throw SceneError(path, 0, "cannot read the scene: not a regular file");
    if (info.st_size > MAX_SCENE_BYTES)
        throw SceneError(path, 0, "cannot read the scene: larger than " + std::to_string(MAX_SCENE_BYTES >> 20) +
                                      " MiB");
    std::string text(size_t(info.st_size), '\0');
    if (!text.empty() && std::fread(&text[0], 1, text.size(), in.get()) != text.size())
        throw SceneError(path, 0, "cannot read the scene: a read failed");
    return text;
}

} // namespace

Scene parseScene(const std::string& text, const std::string& name, const std::string& folder,
                 const MaskLoader& loadMask)
{
    toml::table root;
    try {
        root = toml::parse(std::string_view(text), std::string_view(name));
    } catch (const toml::parse_error& e) {
        throw SceneError(name, long(e.source().begin.line), std::string(e.description()));
    }
    return Reader(name, folder, loadMask).read(root);
}

Scene parseScene(const std::string& text, const std::string& name, const std::string& folder)
{
    return parseScene(text, name, folder, readMaskFile);
}

Scene readScene(const std::string& pathOrPreset)
{
    struct stat info;
    std::string path = pathOrPreset;
    if (stat(path.c_str(), &info) != 0 && canNamePreset(path)) {
        path = findPreset(pathOrPreset);
        if (path.empty()) {
            const std::vector<std::string> names = presetNames();
            throw SceneError(pathOrPreset, 0,
                             "no such scene file or preset" +
                                 (names.empty() ? std::string(" (no presets found)")
                                                : " (presets: " + listOf(names) + ")"));
        }
    }
    return parseScene(readText(path), path, folderOf(path));
}
