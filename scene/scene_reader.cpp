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
#include <tuple>
#include <vector>

#include "scene/bed_map.h"
#include "scene/mask.h"
#include "scene/presets.h"
#include "scene/scene.h"
#include "scene/scene_format.h"
#include "sim/sources.h"
#include "sim/sponge.h"

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
    Reader(std::string name, std::string folder, const MaskLoader& loadMask, const BedMapLoader& loadBedMap,
           uint64_t maxCells)
        : name_(std::move(name)), folder_(std::move(folder)), loadMask_(loadMask), loadBedMap_(loadBedMap),
          maxCells_(maxCells)
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

    // Each top-level key's reader gets its node as it stands: a table, an array
    // of tables or a plain value, whichever the key holds.
    void readBasin(const toml::node& node, Scene& scene) const;
    void readWalls(const toml::node& node, Scene& scene) const;
    void readView(const toml::node& node, Scene& scene) const;
    // The wave tank: [[source]], [sponge], [bed] and [[gauge]].
    void readTank(const toml::table& root, Scene& scene) const;
    void readSource(const toml::table& table, Scene& scene) const;
    void readBed(const toml::table& table, Scene& scene) const;
    std::pair<int, int> place(const toml::node& node, const std::string& what) const;
    // A picture's path as the scene gives it, relative to the scene's folder.
    std::string picturePath(const toml::node& node, const std::string& what) const;
    // A table, or an array of tables ([[name]]).
    std::vector<const toml::table*> tablesAt(const toml::node& node, const std::string& what) const;

    std::string name_, folder_;
    const MaskLoader& loadMask_;
    const BedMapLoader& loadBedMap_;
    uint64_t maxCells_;
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

void Reader::readBasin(const toml::node& node, Scene& scene) const
{
    const toml::table& basin = tableAt(node, "[basin]");
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

void Reader::readWalls(const toml::node& node, Scene& scene) const
{
    const toml::table& walls = tableAt(node, "[walls]");
    onlyKeys(walls, "[walls]", {"mask", "rectangles"});
    const int width = scene.config.width, height = scene.config.height;
    if (const toml::node* n = walls.get("mask")) {
        const std::string path = picturePath(*n, "mask");
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

std::string Reader::picturePath(const toml::node& node, const std::string& what) const
{
    const toml::value<std::string>* file = node.as_string();
    if (file == nullptr || file->get().empty())
        fail(node, what + " must be the name of a PNG file");
    std::string path = file->get();
    if (path[0] != '/' && !folder_.empty())
        path = folder_ + "/" + path;
    return path;
}

void Reader::readView(const toml::node& node, Scene& scene) const
{
    const toml::table& view = tableAt(node, "[view]");
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

std::pair<int, int> Reader::place(const toml::node& node, const std::string& what) const
{
    const toml::array* pair = node.as_array();
    if (pair == nullptr || pair->size() != 2)
        fail(node, what + " must be [x, y]");
    return {int(integer(*pair->get(0), what + "'s x", INT_MIN, INT_MAX)),
            int(integer(*pair->get(1), what + "'s y", INT_MIN, INT_MAX))};
}

std::vector<const toml::table*> Reader::tablesAt(const toml::node& node, const std::string& what) const
{
    std::vector<const toml::table*> tables;
    if (const toml::array* list = node.as_array()) {
        for (const toml::node& item : *list)
            tables.push_back(&tableAt(item, what));
    } else {
        tables.push_back(&tableAt(node, what));
    }
    return tables;
}

void Reader::readSource(const toml::table& table, Scene& scene) const
{
    onlyKeys(table, "[[source]]", {"kind", "at", "radius", "from", "to", "period", "amplitude", "phase", "ramp"});
    const toml::node* kind = table.get("kind");
    const toml::value<std::string>* name = kind ? kind->as_string() : nullptr;
    if (name == nullptr || (name->get() != "point" && name->get() != "line"))
        fail(kind ? lineOf(*kind) : lineOf(table), "a source needs kind = \"point\" or \"line\"");
    SceneSource s;
    s.line = name->get() == "line";
    const auto need = [&](const char* key) -> const toml::node& {
        const toml::node* n = table.get(key);
        if (n == nullptr)
            fail(lineOf(table), std::string("a ") + (s.line ? "line" : "point") + " source needs " + key);
        return *n;
    };
    if (s.line) {
        std::tie(s.x0, s.y0) = place(need("from"), "from");
        std::tie(s.x1, s.y1) = place(need("to"), "to");
        if (table.get("at") || table.get("radius"))
            fail(lineOf(table), "a line source has from and to, not at or radius");
    } else {
        std::tie(s.x0, s.y0) = place(need("at"), "at");
        s.x1 = s.x0, s.y1 = s.y0;
        if (const toml::node* n = table.get("radius"))
            s.radius = int(integer(*n, "radius", 0, INT_MAX));
        if (table.get("from") || table.get("to"))
            fail(lineOf(table), "a point source has at (and radius), not from or to");
    }
    s.period = real(need("period"), "period");
    s.amplitude = real(need("amplitude"), "amplitude");
    if (const toml::node* n = table.get("phase"))
        s.phase = real(*n, "phase");
    if (const toml::node* n = table.get("ramp"))
        s.ramp = real(*n, "ramp");
    try {
        checkSourceSettings(scene.config.width, scene.config.height, s.line, s.x0, s.y0, s.x1, s.y1, s.radius,
                            s.period, s.amplitude, s.phase, s.ramp);
    } catch (const std::invalid_argument& e) {
        fail(lineOf(table), e.what());
    }
    scene.sources.push_back(s);
}

void Reader::readBed(const toml::table& table, Scene& scene) const
{
    onlyKeys(table, "[bed]", {"constant", "map", "low", "high", "slope", "rectangles"});
    const int width = scene.config.width, height = scene.config.height;
    std::vector<float>& bed = scene.bed;
    bed.assign(size_t(width) * size_t(height), 0.0f);
    const auto elevation = [&](const toml::node& n, const std::string& what) {
        const double z = real(n, what);
        if (!std::isfinite(float(z)) || !(float(z) < scene.config.restHeight))
            fail(n, what + " must be finite and below the rest level " + formatFloat(scene.config.restHeight) +
                        " (make land a wall), got " + formatReal(z));
        return float(z);
    };
    if (const toml::node* n = table.get("constant"))
        std::fill(bed.begin(), bed.end(), elevation(*n, "the bed's constant"));
    if (const toml::node* n = table.get("map")) {
        if (table.get("constant"))
            fail(*n, "a bed map sets every cell: give map or constant, not both");
        const toml::node *lowNode = table.get("low"), *highNode = table.get("high");
        if (lowNode == nullptr || highNode == nullptr)
            fail(*n, "a bed map needs low and high, the elevations of black and white");
        const float low = elevation(*lowNode, "the map's low"), high = elevation(*highNode, "the map's high");
        if (!(low < high))
            fail(*highNode, "the map's high must be above its low " + formatFloat(low) + ", got " + formatFloat(high));
        const std::string path = picturePath(*n, "map");
        BedMap map;
        try {
            map = loadBedMap_(path);
        } catch (const BedMapError& e) {
            fail(*n, e.what());
        }
        // A map drawn for another basin is a mistake more often than a wish to stretch it.
        if (map.width != width || map.height != height)
            fail(*n, "the bed map '" + path + "' is " + std::to_string(map.width) + " x " +
                         std::to_string(map.height) + " pixels, not the basin's " + std::to_string(width) + " x " +
                         std::to_string(height) + " cells");
        for (size_t k = 0; k < bed.size(); ++k) {
            // Evenly from black to white, rounded once; the ends exactly low and high.
            const unsigned s = map.samples[k];
            const float z = s == map.white ? high : float(low + (double(high) - low) * s / map.white);
            bed[k] = std::min(std::max(z, low), high);
        }
    } else if (const toml::node* n = table.get("low") ? table.get("low") : table.get("high")) {
        fail(*n, "low and high go with a bed map (map = \"FILE.png\")");
    }
    if (const toml::node* n = table.get("slope")) {
        // Along x in every row: z0 at column x0 rising evenly to z1 at x1, and z1 beyond.
        const toml::array* a = n->as_array();
        if (a == nullptr || a->size() != 4)
            fail(*n, "slope must be [x0, x1, z0, z1]");
        const int x0 = int(integer(*a->get(0), "the slope's x0", 0, width - 1));
        const int x1 = int(integer(*a->get(1), "the slope's x1", x0 + 1, width - 1));
        const float z0 = elevation(*a->get(2), "the slope's z0"), z1 = elevation(*a->get(3), "the slope's z1");
        for (int y = 0; y < height; ++y)
            for (int x = x0; x < width; ++x)
                bed[size_t(y) * size_t(width) + size_t(x)] =
                    x >= x1 ? z1 : float(z0 + (double(z1) - z0) * (x - x0) / (x1 - x0));
    }
    if (const toml::node* n = table.get("rectangles")) {
        const toml::array* list = n->as_array();
        if (list == nullptr)
            fail(*n, "rectangles must be an array of [x0, y0, x1, y1, z] arrays");
        for (const toml::node& item : *list) {
            const toml::array* r = item.as_array();
            if (r == nullptr || r->size() != 5)
                fail(item, "a bed rectangle must be [x0, y0, x1, y1, z]");
            const int x0 = int(integer(*r->get(0), "x0", 0, width - 1));
            const int y0 = int(integer(*r->get(1), "y0", 0, height - 1));
            const int x1 = int(integer(*r->get(2), "x1", x0, width - 1));
            const int y1 = int(integer(*r->get(3), "y1", y0, height - 1));
            const float z = elevation(*r->get(4), "a bed rectangle's z");
            for (int y = y0; y <= y1; ++y)
                std::fill(bed.begin() + (size_t(y) * size_t(width) + size_t(x0)),
                          bed.begin() + (size_t(y) * size_t(width) + size_t(x1) + 1), z);
        }
    }
    if (std::all_of(bed.begin(), bed.end(), [](float z) { return z == 0.0f; }))
        bed.clear();
}

void Reader::readTank(const toml::table& root, Scene& scene) const
{
    if (const toml::node* n = root.get("source"))
        for (const toml::table* t : tablesAt(*n, "[[source]]"))
            readSource(*t, scene);
    if (const toml::node* n = root.get("sponge")) {
        const toml::table& t = tableAt(*n, "[sponge]");
        onlyKeys(t, "[sponge]", {"width", "edges", "strength"});
        SceneSponge& sp = scene.sponge;
        sp.width = t.get("width") ? int(integer(*t.get("width"), "the sponge's width", 0, INT_MAX)) : 40;
        sp.edges = SPONGE_NORTH | SPONGE_EAST | SPONGE_SOUTH | SPONGE_WEST;
        try {
            if (const toml::node* e = t.get("edges")) {
                const toml::value<std::string>* letters = e->as_string();
                if (letters == nullptr)
                    fail(*e, "the sponge's edges must be a string of the letters n, e, s, w");
                sp.edges = spongeEdges(letters->get());
            }
            if (const toml::node* k = t.get("strength"))
                sp.strength = real(*k, "the sponge's strength");
            checkSponge(scene.config.width, scene.config.height, sp.width, sp.edges, sp.strength);
        } catch (const std::invalid_argument& e) {
            fail(*n, e.what());
        }
        if (sp.width == 0)
            sp = SceneSponge{};
    }
    if (const toml::node* n = root.get("bed"))
        readBed(tableAt(*n, "[bed]"), scene);
    if (const toml::node* n = root.get("gauge")) {
        for (const toml::table* t : tablesAt(*n, "[[gauge]]")) {
            onlyKeys(*t, "[[gauge]]", {"at"});
            if (t->get("at") == nullptr)
                fail(lineOf(*t), "a gauge needs at = [x, y]");
            const auto [x, y] = place(*t->get("at"), "at");
            const std::string where = "gauge (" + std::to_string(x) + ", " + std::to_string(y) + ")";
            if (x < 0 || x >= scene.config.width || y < 0 || y >= scene.config.height)
                fail(*t->get("at"), where + " is outside the basin");
            if (scene.walls[size_t(y) * size_t(scene.config.width) + size_t(x)] != 0)
                fail(*t->get("at"), where + " is in a wall");
            scene.gauges.push_back({x, y});
        }
    }
}

Scene Reader::read(const toml::table& root)
{
    // Each top-level table and its reader, in the order read: the basin first,
    // since walls and the rest are placed on it.
    using Part = void (Reader::*)(const toml::node&, Scene&) const;
    static const std::vector<std::pair<std::string, Part>> parts = {
        {"basin", &Reader::readBasin},
        {"walls", &Reader::readWalls},
        {"view", &Reader::readView},
    };
    std::vector<std::string> known;
    for (const auto& part : parts)
        known.push_back("[" + part.first + "]");
    const std::vector<std::string> tank = {"source", "sponge", "bed", "gauge"};
    for (const char* part : {"[[source]]", "[sponge]", "[bed]", "[[gauge]]"})
        known.push_back(part);
    for (auto&& [key, node] : root) {
        const std::string_view word = key.str(); // a binding cannot be captured in C++17
        const auto found = std::find_if(parts.begin(), parts.end(), [word](const auto& p) { return p.first == word; });
        if (found == parts.end() && std::find(tank.begin(), tank.end(), word) == tank.end())
            fail(long(key.source().begin.line),
                 "unknown key '" + std::string(key.str()) + "' (known: " + listOf(known) + ")");
    }

    Scene scene;
    for (const auto& [name, readPart] : parts) {
        const toml::node* node = root.get(name);
        if (node != nullptr)
            (this->*readPart)(*node, scene);
        if (name == "basin") {
            // Refused sizes are refused here, before the walls are allocated.
            try {
                checkBasinConfig(scene.config);
            } catch (const std::exception& e) {
                fail(node != nullptr ? lineOf(*node) : 0, std::string("cannot make the basin: ") + e.what());
            }
            if (uint64_t(scene.config.width) * uint64_t(scene.config.height) > maxCells_)
                fail(node != nullptr ? lineOf(*node) : 0,
                     "a basin of more than " + std::to_string(maxCells_) + " cells is not read here");
            scene.walls.assign(size_t(scene.config.width) * size_t(scene.config.height), 0);
        }
    }
    readTank(root, scene); // placed on the basin and its walls
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

// toml++ 3.3 asks whether a character is blank (outside comments: after values,
// in keys, in multi-line strings) with a classifier that reaches
// __builtin_unreachable for these code points, so the scene never reaches it with
// them: they are refused everywhere but in comments, where it does not look.
bool confusesTheParser(uint32_t c)
{
    return (c >= 0xA1 && c <= 0x499) || (c >= 0x2D6E && c <= 0x3167 && c != 0x3000) || (c >= 0xFB36 && c <= 0xFEFE);
}

void refuseConfusingCharacters(const std::string& text, const std::string& name)
{
    enum State { PLAIN, COMMENT, BASIC, LITERAL, MULTI_BASIC, MULTI_LITERAL } state = PLAIN;
    long line = 1;
    const size_t n = text.size();
    const auto at = [&](size_t i, const char* word) { return text.compare(i, std::strlen(word), word) == 0; };
    for (size_t i = 0; i < n; ++i) {
        const unsigned char byte = static_cast<unsigned char>(text[i]);
        if (byte == '\n') {
            ++line;
            if (state == COMMENT || state == BASIC || state == LITERAL)
                state = PLAIN;
            continue;
        }
        if (byte >= 0x80) {
            // A two- or three-byte UTF-8 sequence holds every code point in question;
            // malformed ones are toml++'s to refuse.
            uint32_t c = 0;
            if ((byte & 0xE0) == 0xC0 && i + 1 < n)
                c = (uint32_t(byte & 0x1F) << 6) | (uint32_t(text[i + 1]) & 0x3F);
            else if ((byte & 0xF0) == 0xE0 && i + 2 < n)
                c = (uint32_t(byte & 0x0F) << 12) | ((uint32_t(text[i + 1]) & 0x3F) << 6) |
                    (uint32_t(text[i + 2]) & 0x3F);
            if (state != COMMENT && confusesTheParser(c)) {
                char code[16];
                std::snprintf(code, sizeof code, "U+%04X", unsigned(c));
                throw SceneError(name, line, std::string("the character ") + code +
                                                 " is read only in comments (a fault of the TOML reader)");
            }
            continue;
        }
        switch (state) {
        case PLAIN:
            if (byte == '#')
                state = COMMENT;
            else if (at(i, "\"\"\"")) {
                state = MULTI_BASIC;
                i += 2;
            } else if (at(i, "'''")) {
                state = MULTI_LITERAL;
                i += 2;
            } else if (byte == '"')
                state = BASIC;
            else if (byte == '\'')
                state = LITERAL;
            break;
        case BASIC:
        case MULTI_BASIC:
            if (byte == '\\' && i + 1 < n && text[i + 1] != '\n' && static_cast<unsigned char>(text[i + 1]) < 0x80)
                ++i; // an escaped character, never the end (non-ASCII ones are checked above)
            else if (state == MULTI_BASIC && at(i, "\"\"\"")) {
                state = PLAIN;
                i += 2;
            } else if (state == BASIC && byte == '"')
                state = PLAIN;
            break;
        case LITERAL:
            if (byte == '\'')
                state = PLAIN;
            break;
        case MULTI_LITERAL:
            if (at(i, "'''")) {
                state = PLAIN;
                i += 2;
            }
            break;
        case COMMENT:
            break;
        }
    }
}

} // namespace

Scene parseScene(const std::string& text, const std::string& name, const std::string& folder,
                 const MaskLoader& loadMask, const BedMapLoader& loadBedMap, uint64_t maxCells)
{
    refuseConfusingCharacters(text, name);
    toml::table root;
    try {
        root = toml::parse(std::string_view(text), std::string_view(name));
    } catch (const toml::parse_error& e) {
        throw SceneError(name, long(e.source().begin.line), std::string(e.description()));
    }
    return Reader(name, folder, loadMask, loadBedMap, maxCells).read(root);
}

Scene parseScene(const std::string& text, const std::string& name, const std::string& folder)
{
    return parseScene(text, name, folder, readMaskFile, readBedMapFile);
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
