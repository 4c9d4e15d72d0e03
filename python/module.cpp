// ripplemoor._core: the real solver library as a Python extension. A Basin is a
// basin of the library (sim/basin.h) with a lock of its own; its fields are handed
// out as NumPy arrays over its own memory.

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "python/arguments.h"
#include "python/docstrings.h"
#include "scene/scene.h"
#include "sim/basin.h"
#include "sim/sources.h"
#include "sim/sponge.h"
#include "sim/basin_state.h"
#include "sim/threads.h"
#include "simd/targets.h"

namespace py = pybind11;
namespace doc = ripplemoor_python::doc;
using ripplemoor_python::integerArgument;
using ripplemoor_python::realArgument;
using ripplemoor_python::textArgument;
using ripplemoor_python::switchArgument;

namespace {

// A basin and the lock that every call touching it takes; step() holds it
// without the GIL, so a second Python thread on the same basin waits instead of
// racing the solver, while threads on other basins run. Writes through the views
// bypass it. Views hold a reference to the Basin object, so the memory outlives
// every view.
struct Box {
    explicit Box(const BasinConfig& config) : owned(std::make_unique<Basin>(config)), basin(owned.get()) {}
    explicit Box(Basin&& restored) : owned(std::make_unique<Basin>(std::move(restored))), basin(owned.get()) {}
    std::unique_ptr<Basin> owned;
    Basin* basin;
    std::mutex mutex;
};
using BoxPtr = std::shared_ptr<Box>;

class PyBasin {
public:
    explicit PyBasin(BoxPtr box) : box_(std::move(box)) {}
    Basin& basin() const { return *box_->basin; }
    std::mutex& mutex() const { return box_->mutex; }
    const BoxPtr& box() const { return box_; }

private:
    BoxPtr box_;
};

// ---- configuration ----------------------------------------------------------------

double positiveReal(const py::object& value, const char* function, const char* name)
{
    const double d = realArgument(value, function, name);
    if (!std::isfinite(d) || !(d > 0.0))
        throw py::value_error(std::string(function) + "(): " + name + " must be a finite positive number, got " +
                              py::repr(value).cast<std::string>());
    return d;
}

// As the solver keeps it: a float32 that must stay finite and positive too.
float positiveFloat(const py::object& value, const char* function, const char* name)
{
    const double d = positiveReal(value, function, name);
    if (!std::isfinite(float(d)) || !(float(d) > 0.0f))
        throw py::value_error(std::string(function) + "(): " + name + " must be a finite positive number, got " +
                              py::repr(value).cast<std::string>());
    return float(d);
}

int threadsArgument(const py::object& value, const char* function)
{
    if (value.is_none())
        return 0;
    return int(integerArgument(value, function, "threads", 1, MAX_THREADS));
}

BasinConfig configOf(const py::object& width, const py::object& height, const py::object& cellSize,
                     const py::object& timestep, const py::object& gravity, const py::object& restHeight,
                     const py::object& threads)
{
    BasinConfig c;
    c.width = int(integerArgument(width, "Basin", "width", 3, INT_MAX));
    c.height = int(integerArgument(height, "Basin", "height", 3, INT_MAX));
    c.cellSize = positiveFloat(cellSize, "Basin", "cell_size");
    c.timestep = positiveFloat(timestep, "Basin", "timestep");
    c.gravity = positiveReal(gravity, "Basin", "gravity");
    c.restHeight = positiveFloat(restHeight, "Basin", "rest_height");
    c.threads = threadsArgument(threads, "Basin");
    return c;
}

BoxPtr makeBox(const BasinConfig& config)
{
    try {
        return std::make_shared<Box>(config);
    } catch (const std::length_error& e) {
        throw py::value_error(std::string("Basin(): ") + e.what());
    } catch (const std::invalid_argument& e) {
        throw py::value_error(std::string("Basin(): ") + e.what());
    } catch (const std::bad_alloc&) {
        throw py::value_error("Basin(): not enough memory for a basin of " + std::to_string(config.width) + " x " +
                              std::to_string(config.height) + " cells");
    }
}

// ---- views ------------------------------------------------------------------------

// An array over the basin's memory, shape (height, width), indexed [y, x]. Its
// base is the Basin object itself, which the view keeps alive (one reference
// each) for as long as it lives.
template <typename T>
py::array viewOf(const py::object& owner, T* data, const py::dtype& dtype)
{
    const Basin& b = owner.cast<const PyBasin&>().basin();
    const py::ssize_t w = b.width(), h = b.height();
    return py::array(dtype, {h, w}, {py::ssize_t(sizeof(T)) * w, py::ssize_t(sizeof(T))}, data, owner);
}

py::array fieldView(const py::object& self, const py::object& nameArg, const char* function)
{
    const std::string name = textArgument(nameArg, function, "name");
    const NamedField* found = findField(name);
    if (found == nullptr)
        throw py::value_error(std::string(function) + "(): unknown name '" + name + "'; the fields are " +
                              fieldNameList());
    return viewOf(self, (self.cast<const PyBasin&>().basin().*found->field).data(), py::dtype::of<float>());
}

py::array wallsView(const py::object& self)
{
    return viewOf(self, self.cast<const PyBasin&>().basin().walls.data(), py::dtype("bool"));
}

// ---- operations -------------------------------------------------------------------

// Ctrl-C is seen between steps: the GIL is taken back to look for a signal once
// this long has passed, however long or short a step is.
constexpr std::chrono::milliseconds SIGNAL_CHECK{20};

// Runs step(k) for k = 0, 1, ... until done or the time for a signal check has
// come; returns how many ran. At least one always runs.
template <typename Step>
long long stepForAWhile(long long left, const Step& stepOnce)
{
    const auto until = std::chrono::steady_clock::now() + SIGNAL_CHECK;
    long long k = 0;
    do
        stepOnce();
    while (++k < left && std::chrono::steady_clock::now() < until);
    return k;
}

void checkSignals()
{
    if (PyErr_CheckSignals() != 0)
        throw py::error_already_set();
}

void stepBasin(const PyBasin& self, long long count)
{
    for (long long done = 0; done < count;) {
        std::string error;
        {
            py::gil_scoped_release release;
            std::lock_guard<std::mutex> lock(self.mutex());
            Basin& b = self.basin();
            try {
                done += stepForAWhile(count - done, [&] { b.step(); });
            } catch (const std::invalid_argument& e) {
                error = e.what(); // a bed that the step refuses
            }
        }
        if (!error.empty())
            throw py::value_error("step(): " + error);
        if (done < count)
            checkSignals();
    }
}

void step(const PyBasin& self, const py::object& countArg)
{
    stepBasin(self, integerArgument(countArg, "step", "n", 0, LLONG_MAX));
}

void stepAll(const py::object& basinsArg, const py::object& countArg)
{
    const long long count = integerArgument(countArg, "step_all", "n", 0, LLONG_MAX);
    if (!py::isinstance<py::sequence>(basinsArg) || py::isinstance<py::str>(basinsArg))
        throw py::type_error("step_all(): basins must be a sequence of Basin, not " +
                             std::string(Py_TYPE(basinsArg.ptr())->tp_name));
    std::vector<PyBasin*> basins;
    for (const py::handle item : basinsArg) {
        if (!py::isinstance<PyBasin>(item))
            throw py::type_error("step_all(): every item of basins must be a Basin, not " +
                                 std::string(Py_TYPE(item.ptr())->tp_name));
        PyBasin* b = item.cast<PyBasin*>();
        for (PyBasin* other : basins)
            if (other->box() == b->box())
                throw py::value_error("step_all(): a basin appears twice in basins");
        basins.push_back(b);
    }
    const int n = int(basins.size());
    if (n == 0)
        return;
    std::vector<long long> done(size_t(n), 0);
    std::vector<std::string> errors(static_cast<size_t>(n));
    for (;;) {
        {
            py::gil_scoped_release release;
            // Each basin on a thread of the pool, for as long as the time between signal checks.
            const auto until = std::chrono::steady_clock::now() + SIGNAL_CHECK;
#pragma omp parallel for schedule(dynamic, 1) num_threads(std::max(1, std::min(n, availableThreads())))
            for (int k = 0; k < n; ++k) {
                std::lock_guard<std::mutex> lock(basins[size_t(k)]->mutex());
                long long& ran = done[size_t(k)];
                const long long before = ran; // at least one step a round
                try {
                    while (ran < count && (ran == before || std::chrono::steady_clock::now() < until)) {
                        basins[size_t(k)]->basin().step();
                        ++ran;
                    }
                } catch (const std::invalid_argument& e) {
                    errors[size_t(k)] = e.what();
                    ran = count;
                }
            }
        }
        for (const std::string& e : errors)
            if (!e.empty())
                throw py::value_error("step_all(): " + e);
        if (*std::min_element(done.begin(), done.end()) == count)
            return;
        checkSignals();
    }
}

void addDrop(const PyBasin& self, const py::object& cxArg, const py::object& cyArg, const py::object& radiusArg,
             const py::object& incrementArg)
{
    const int cx = int(integerArgument(cxArg, "add_drop", "cx", INT_MIN, INT_MAX));
    const int cy = int(integerArgument(cyArg, "add_drop", "cy", INT_MIN, INT_MAX));
    const int radius = int(integerArgument(radiusArg, "add_drop", "radius", 1, INT_MAX));
    const float increment = float(realArgument(incrementArg, "add_drop", "increment"));
    std::lock_guard<std::mutex> lock(self.mutex());
    self.basin().addDrop(cx, cy, radius, increment);
}

void setColorMode(const PyBasin& self, const py::object& modeArg)
{
    const int mode = int(integerArgument(modeArg, "", "color_mode", FIRST_MODE, LAST_MODE));
    std::lock_guard<std::mutex> lock(self.mutex());
    self.basin().colorMode = mode;
}

py::dict ranges(const PyBasin& self)
{
    std::lock_guard<std::mutex> lock(self.mutex());
    py::dict result;
    for (const NamedRange& r : rangeVariables())
        result[r.name.c_str()] = double(r.of(self.basin()));
    return result;
}

py::bytes dump(const PyBasin& self)
{
    std::vector<unsigned char> bytes;
    {
        std::lock_guard<std::mutex> lock(self.mutex());
        bytes = self.basin().dump();
    }
    return py::bytes(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

void useTargetChecked(const py::object& nameArg, const char* function)
{
    const std::string name = textArgument(nameArg, function, "name");
    if (simd::useTarget(name))
        return;
    throw py::value_error(std::string(function) + "(): unknown or unavailable target '" + name +
                          "'; this processor offers: " + simd::targetList());
}

// A DeprecationWarning, shown where the caller's code runs in __main__.
void deprecated(const char* name, const char* instead)
{
    const std::string text = std::string("ripplemoor.") + name + " is deprecated; use ripplemoor." + instead;
    if (PyErr_WarnEx(PyExc_DeprecationWarning, text.c_str(), 1) != 0)
        throw py::error_already_set();
}

py::list targetNames()
{
    py::list names;
    for (const std::string& name : simd::targetNames())
        names.append(name);
    return names;
}

// ---- the wave tank ----------------------------------------------------------------

// The solver's refusal as ValueError, prefixed with the method's name.
template <typename Action>
auto refusedAs(const char* function, const Action& action) -> decltype(action())
{
    try {
        return action();
    } catch (const std::invalid_argument& e) {
        throw py::value_error(std::string(function) + "(): " + e.what());
    }
}

double finiteReal(const py::object& value, const char* function, const char* name)
{
    return realArgument(value, function, name); // the solver checks the ranges with its own messages
}

void addPointSource(const PyBasin& self, const py::object& x, const py::object& y, const py::object& period,
                    const py::object& amplitude, const py::object& phase, const py::object& radius,
                    const py::object& ramp)
{
    const char* f = "add_point_source";
    const int cx = int(integerArgument(x, f, "x", INT_MIN, INT_MAX)), cy = int(integerArgument(y, f, "y", INT_MIN, INT_MAX));
    const int r = int(integerArgument(radius, f, "radius", 0, INT_MAX));
    const double T = finiteReal(period, f, "period"), a = finiteReal(amplitude, f, "amplitude");
    const double p = finiteReal(phase, f, "phase"), q = finiteReal(ramp, f, "ramp");
    std::lock_guard<std::mutex> lock(self.mutex());
    Basin& b = self.basin();
    b.addSource(refusedAs(f, [&] { return pointSource(b, cx, cy, r, T, a, p, q); }));
}

void addLineSource(const PyBasin& self, const py::object& x0, const py::object& y0, const py::object& x1,
                   const py::object& y1, const py::object& period, const py::object& amplitude,
                   const py::object& phase, const py::object& ramp)
{
    const char* f = "add_line_source";
    const int ax = int(integerArgument(x0, f, "x0", INT_MIN, INT_MAX)), ay = int(integerArgument(y0, f, "y0", INT_MIN, INT_MAX));
    const int bx = int(integerArgument(x1, f, "x1", INT_MIN, INT_MAX)), by = int(integerArgument(y1, f, "y1", INT_MIN, INT_MAX));
    const double T = finiteReal(period, f, "period"), a = finiteReal(amplitude, f, "amplitude");
    const double p = finiteReal(phase, f, "phase"), q = finiteReal(ramp, f, "ramp");
    std::lock_guard<std::mutex> lock(self.mutex());
    Basin& b = self.basin();
    b.addSource(refusedAs(f, [&] { return lineSource(b, ax, ay, bx, by, T, a, p, q); }));
}

py::dict sourceDescription(const WaveSource& s)
{
    py::dict d;
    d["kind"] = s.kind == WaveSource::POINT ? "point" : "line";
    if (s.kind == WaveSource::POINT) {
        d["x"] = s.x0;
        d["y"] = s.y0;
        d["radius"] = s.radius;
    } else {
        d["x0"] = s.x0;
        d["y0"] = s.y0;
        d["x1"] = s.x1;
        d["y1"] = s.y1;
    }
    d["period"] = s.period;
    d["amplitude"] = s.amplitude;
    d["phase"] = s.phase;
    d["ramp"] = s.ramp;
    d["cells"] = s.cells.size();
    return d;
}

py::tuple sourcesOf(const PyBasin& self)
{
    std::lock_guard<std::mutex> lock(self.mutex());
    const std::vector<WaveSource>& all = self.basin().sources;
    py::tuple result(all.size());
    for (size_t k = 0; k < all.size(); ++k)
        result[k] = sourceDescription(all[k]);
    return result;
}

void setSpongeOf(const PyBasin& self, const py::object& width, const py::object& edges, const py::object& strength)
{
    const char* f = "sponge";
    const int w = int(integerArgument(width, f, "width", INT_MIN, INT_MAX));
    const std::string letters = textArgument(edges, f, "edges");
    const double s = strength.is_none() ? DEFAULT_SPONGE_STRENGTH : finiteReal(strength, f, "strength");
    std::lock_guard<std::mutex> lock(self.mutex());
    refusedAs(f, [&] { setSponge(self.basin(), w, spongeEdges(letters), s); });
}

void addGaugeOf(const PyBasin& self, const py::object& x, const py::object& y)
{
    const int gx = int(integerArgument(x, "add_gauge", "x", INT_MIN, INT_MAX));
    const int gy = int(integerArgument(y, "add_gauge", "y", INT_MIN, INT_MAX));
    std::lock_guard<std::mutex> lock(self.mutex());
    refusedAs("add_gauge", [&] { self.basin().addGauge(gx, gy); });
}

// n steps, h at the given cells after every `every`-th: an array (n / every, cells).
py::array_t<float> recordCells(const PyBasin& self, long long n, long long every, const std::vector<size_t>& cells)
{
    const long long records = n / every;
    py::array_t<float> out({py::ssize_t(records), py::ssize_t(cells.size())});
    float* values = out.mutable_data();
    long long record = 0, sinceRecord = 0;
    while (record < records) {
        {
            py::gil_scoped_release release;
            std::lock_guard<std::mutex> lock(self.mutex());
            Basin& b = self.basin();
            const auto until = std::chrono::steady_clock::now() + SIGNAL_CHECK;
            do {
                b.step();
                if (++sinceRecord == every) {
                    sinceRecord = 0;
                    for (size_t c = 0; c < cells.size(); ++c)
                        values[size_t(record) * cells.size() + c] = b.h[cells[c]];
                    ++record;
                }
            } while (record < records && std::chrono::steady_clock::now() < until);
        }
        if (record < records)
            checkSignals();
    }
    return out;
}

// ---- pickling ---------------------------------------------------------------------

// The library's saved state (sim/basin_state.h): the copy's next steps give the
// original's bits, and bytes that describe no valid basin raise ValueError.
py::bytes stateOf(const PyBasin& self)
{
    std::vector<unsigned char> bytes;
    {
        std::lock_guard<std::mutex> lock(self.mutex());
        bytes = saveBasinState(self.basin());
    }
    return py::bytes(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

PyBasin basinFromState(const py::object& state)
{
    if (!py::isinstance<py::bytes>(state))
        throw py::value_error("Basin: a pickled state is bytes, not " +
                              std::string(Py_TYPE(state.ptr())->tp_name));
    const std::string_view bytes = state.cast<std::string_view>();
    try {
        return PyBasin(std::make_shared<Box>(
            restoreBasinState(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size())));
    } catch (const BasinStateError& e) {
        throw py::value_error(std::string("Basin: ") + e.what());
    } catch (const std::bad_alloc&) {
        throw py::value_error("Basin: not enough memory for the pickled basin");
    }
}

PyBasin copyOf(const PyBasin& self)
{
    BoxPtr box;
    {
        std::lock_guard<std::mutex> lock(self.mutex());
        try {
            box = std::make_shared<Box>(self.basin().config());
        } catch (const std::bad_alloc&) {
            throw py::value_error("copy(): not enough memory for the copy");
        }
        *box->basin = self.basin();
    }
    return PyBasin(box);
}

std::string reprOf(const PyBasin& self)
{
    const BasinConfig& c = self.basin().config();
    const auto real = [](double x) { return py::repr(py::float_(x)).cast<std::string>(); };
    return "ripplemoor.Basin(" + std::to_string(c.width) + ", " + std::to_string(c.height) +
           ", cell_size=" + real(c.cellSize) + ", timestep=" + real(c.timestep) + ", gravity=" + real(c.gravity) +
           ", rest_height=" + real(c.restHeight) + ", threads=" +
           (c.threads == 0 ? std::string("None") : std::to_string(c.threads)) +
           (self.basin().volumeKeeper.on ? ", conserve_volume=True" : "") + ")";
}

// ---- scenes ----------------------------------------------------------------------

// A str or os.PathLike, as open() takes it.
std::string pathArgument(const py::object& path, const char* function)
{
    const py::object text = py::module_::import("os").attr("fspath")(path);
    if (!py::isinstance<py::str>(text))
        throw py::type_error(std::string(function) + "(): path must be a str or os.PathLike of str");
    return text.cast<std::string>();
}

void bindScenes(py::module_& m, py::class_<PyBasin>& basinClass)
{
    // SceneError's text is "FILE:LINE: reason"; it is a ValueError to Python.
    py::register_exception<SceneError>(m, "SceneError", PyExc_ValueError);
    basinClass.def_static(
        "from_scene",
        [](const py::object& path, const py::object& threads) {
            const Scene scene = readScene(pathArgument(path, "from_scene"));
            // The scene's basin moves into the box: one allocation of the fields.
            return PyBasin(std::make_shared<Box>(basinOfScene(scene, threadsArgument(threads, "from_scene"))));
        },
        py::arg("path"), py::kw_only(), py::arg("threads") = py::none(),
        "from_scene(path, *, threads=None)\n--\n\n"
        "A basin at rest made as the scene file at path says: its size, constants,\n"
        "walls and colour mode.\n\n"
        "Parameters\n----------\n"
        "path : str or os.PathLike\n"
        "    The scene file, or a preset's name (scene_presets()).\n"
        "threads : int or None\n"
        "    As the constructor takes it.\n\n"
        "Raises\n------\n"
        "SceneError\n"
        "    For a bad file: a ValueError whose text is 'FILE:LINE: reason'.");
    basinClass.def(
        "to_scene",
        [](const PyBasin& self, const py::object& path) {
            const std::string file = pathArgument(path, "to_scene");
            std::lock_guard<std::mutex> lock(self.mutex());
            writeScene(sceneOfBasin(self.basin()), file);
        },
        py::arg("path"),
        "to_scene(self, path)\n--\n\n"
        "Writes the basin's size, constants, walls and colour mode as a scene file.\n\n"
        "from_scene(path) gives this basin's make-up back, bit for bit.\n\n"
        "Parameters\n----------\n"
        "path : str or os.PathLike\n"
        "    The scene file to write; the walls go into a PNG mask beside it\n"
        "    (.png in place of .toml).");
    m.def("scene_presets", &presetNames,
          "scene_presets()\n--\n\n"
          "The names of the preset scenes that Basin.from_scene takes in place of a path.");
}

} // namespace

PYBIND11_MODULE(_core, m)
{
    // Each docstring opens with its own text signature, which inspect and help() read
    // (python/docstrings.h).
    py::options options;
    options.disable_function_signatures();
    m.doc() = "The compiled core of ripplemoor; use the ripplemoor package.";

    const BasinConfig defaults;
    m.attr("GRID_SIZE") = defaults.width;
    m.attr("TIMESTEP") = double(defaults.timestep);
    m.attr("CELL_SIZE") = double(defaults.cellSize);
    m.attr("GRAVITY") = defaults.gravity;
    m.attr("FIELD_NAMES") = [] {
        py::tuple names(FIELD_COUNT);
        for (int k = 0; k < FIELD_COUNT; ++k)
            names[size_t(k)] = BASIN_FIELDS[k].name;
        return names;
    }();

    py::class_<PyBasin> basinClass(m, "Basin", doc::BASIN);
    basinClass
        .def(py::init([](const py::object& width, const py::object& height, const py::object& cellSize,
                         const py::object& timestep, const py::object& gravity, const py::object& restHeight,
                         const py::object& threads, const py::object& conserveVolume) {
                 const bool keep = switchArgument(conserveVolume, "Basin", "conserve_volume");
                 PyBasin made(makeBox(configOf(width, height, cellSize, timestep, gravity, restHeight, threads)));
                 made.basin().volumeKeeper.on = keep;
                 return made;
             }),
             py::arg("width") = defaults.width, py::arg("height") = defaults.height, py::kw_only(),
             py::arg("cell_size") = double(defaults.cellSize), py::arg("timestep") = double(defaults.timestep),
             py::arg("gravity") = defaults.gravity, py::arg("rest_height") = double(defaults.restHeight),
             py::arg("threads") = py::none(), py::arg("conserve_volume") = false,
             doc::INIT)
        .def_property_readonly("width", [](const PyBasin& s) { return s.basin().width(); },
                               "Cells along x (columns).")
        .def_property_readonly("height", [](const PyBasin& s) { return s.basin().height(); },
                               "Cells along y (rows).")
        .def_property_readonly("cell_size", [](const PyBasin& s) { return double(s.basin().config().cellSize); },
                               "The width of a cell (float32).")
        .def_property_readonly("timestep", [](const PyBasin& s) { return double(s.basin().config().timestep); },
                               "Simulated time per step (float32).")
        .def_property_readonly("gravity", [](const PyBasin& s) { return s.basin().config().gravity; },
                               "Gravitational acceleration of the velocity update.")
        .def_property_readonly("rest_height",
                               [](const PyBasin& s) { return double(s.basin().config().restHeight); },
                               "The level that reset() returns to (float32).")
        .def_property(
            "threads", [](const PyBasin& s) { return s.basin().threads(); },
            [](const PyBasin& s, const py::object& value) {
                const int threads = threadsArgument(value, "threads");
                std::lock_guard<std::mutex> lock(s.mutex());
                s.basin().setThreads(threads);
            },
            "Threads that step() uses (set None for the default by size); never changes a bit.")
        .def_property(
            "conserve_volume", [](const PyBasin& s) { return s.basin().volumeKeeper.on; },
            [](const PyBasin& s, const py::object& value) {
                const bool on = switchArgument(value, "conserve_volume", "value");
                std::lock_guard<std::mutex> lock(s.mutex());
                s.basin().volumeKeeper.on = on;
            },
            doc::CONSERVE_VOLUME)
        .def("field", [](const py::object& s, const py::object& name) { return fieldView(s, name, "field"); },
             py::arg("name"),
             doc::FIELD)
        .def_property_readonly("walls", &wallsView,
                               "The walls as a writable bool array of shape (height, width), indexed\n"
                               "[y, x]: True marks a solid cell, which holds no water. No flow crosses\n"
                               "a face beside a wall, advection draws no water out of one, and walls\n"
                               "count in neither the ranges nor the volume. Write it between steps;\n"
                               "reset() then empties the new walls.")
        .def("step", &step, py::arg("n") = 1,
             doc::STEP)
        .def("add_drop", &addDrop, py::arg("cx"), py::arg("cy"), py::arg("radius"), py::arg("increment"),
             doc::ADD_DROP)
        .def(
            "random_drop",
            [](const PyBasin& s) {
                std::lock_guard<std::mutex> lock(s.mutex());
                s.basin().randomDrop();
            },
            doc::RANDOM_DROP)
        .def(
            "seed",
            [](const PyBasin& s, const py::object& value) {
                const long long v = integerArgument(value, "seed", "s", 0, 4294967295LL);
                std::lock_guard<std::mutex> lock(s.mutex());
                s.basin().generator.seed(uint32_t(v));
            },
            py::arg("s"),
            doc::SEED)
        .def(
            "reset",
            [](const PyBasin& s) {
                std::lock_guard<std::mutex> lock(s.mutex());
                s.basin().reset();
            },
            doc::RESET)
        .def_property(
            "color_mode", [](const PyBasin& s) { return s.basin().colorMode; }, &setColorMode,
            "The colour mode, 0 to 6: which derived field and range each step computes\n"
            "(0 plain, 1 h, 2 heightChange, 3 heightAccel, 4 speedSq, 5 flowDirection,\n"
            "6 energyProduct). A value outside 0 to 6 raises ValueError.")
        .def("ranges", &ranges,
             doc::RANGES)
        .def("dump", &dump,
             doc::DUMP)
        .def(
            "state_hash",
            [](const PyBasin& s) {
                std::lock_guard<std::mutex> lock(s.mutex());
                return s.basin().stateHash();
            },
            doc::STATE_HASH)
        .def("add_point_source", &addPointSource, py::arg("x"), py::arg("y"), py::kw_only(), py::arg("period"),
             py::arg("amplitude"), py::arg("phase") = 0.0, py::arg("radius") = 1, py::arg("ramp") = 2.0,
             R"doc(add_point_source(self, x, y, *, period, amplitude, phase=0.0, radius=1, ramp=2.0)
--

A wave maker on the water cells within radius of (x, y), from the next step
on. Each step moves their surface by the change of
amplitude * s(t) * sin(2 pi t / period + phase), t the time since the source
began, s rising smoothly from 0 to 1 over ramp periods; the source adds no
water over a period.

Parameters
----------
x, y : int
    The centre, a water cell inside the border.
period : float
    In the basin's time units; finite and positive.
amplitude : float
    The surface's displacement at the source.
phase : float
    In radians.
radius : int
    Cells within this distance of the centre are driven; 0 or more.
ramp : float
    Periods of the soft start; 0 or more.

Raises
------
ValueError
    For a place outside the water cells, a period that is not positive, or a
    setting that is not finite.
)doc")
        .def("add_line_source", &addLineSource, py::arg("x0"), py::arg("y0"), py::arg("x1"), py::arg("y1"),
             py::kw_only(), py::arg("period"), py::arg("amplitude"), py::arg("phase") = 0.0, py::arg("ramp") = 2.0,
             R"doc(add_line_source(self, x0, y0, x1, y1, *, period, amplitude, phase=0.0, ramp=2.0)
--

A wave maker on the cells of the straight line from (x0, y0) to (x1, y1),
driven as add_point_source describes.

Parameters
----------
x0, y0, x1, y1 : int
    The ends, water cells inside the border.
period : float
    In the basin's time units; finite and positive.
amplitude : float
    The surface's displacement along the line.
phase : float
    In radians.
ramp : float
    Periods of the soft start; 0 or more.

Raises
------
ValueError
    For an end outside the water cells, a period that is not positive, or a
    setting that is not finite.
)doc")
        .def_property_readonly("sources", &sourcesOf,
                               "The wave makers as a tuple of dicts (kind, place, period, amplitude,\n"
                               "phase, ramp, cells); read only.")
        .def(
            "clear_sources",
            [](const PyBasin& s) {
                std::lock_guard<std::mutex> lock(s.mutex());
                s.basin().sources.clear();
            },
            "clear_sources(self)\n--\n\nRemoves every wave maker.")
        .def("sponge", &setSpongeOf, py::arg("width"), py::kw_only(), py::arg("edges") = "nesw",
             py::arg("strength") = py::none(),
             R"doc(sponge(self, width, *, edges='nesw', strength=None)
--

An absorbing layer along the chosen edges, which every step pulls towards
rest; the default 40-cell layer reflects under 3 % of a plane wave's
amplitude for wavelengths of 10 to 40 cells. Walls are left alone.

Parameters
----------
width : int
    Cells; 0 removes the layer.
edges : str
    Letters of the edges: w (x = 0), e (x = width - 1), s (y = 0), n
    (y = height - 1).
strength : float or None
    What the layer takes of the departure from rest per step next to the
    edge, in (0, 1]; it falls off quadratically inwards. None: 0.25.

Raises
------
ValueError
    For a negative width, one beyond half the basin, unknown edges or a
    strength outside (0, 1].
)doc")
        .def_property_readonly(
            "sponge_settings",
            [](const PyBasin& s) {
                const Sponge& sp = s.basin().sponge;
                return py::make_tuple(sp.width, spongeEdgeLetters(sp.edges), sp.strength);
            },
            "The sponge as (width, edges, strength).")
        .def_property_readonly(
            "bed",
            [](const py::object& self) {
                return viewOf(self, self.cast<const PyBasin&>().basin().bed.data(), py::dtype::of<float>());
            },
            "The bed's elevation as a writable float32 view [y, x], 0 by default: the\n"
            "water column at rest is h = rest_height - bed and the surface h + bed\n"
            "drives the flow. Call reset() after writing it to bring the water to rest\n"
            "over it. A bed that is not finite or reaches the rest level in a water\n"
            "cell makes reset() and step() raise ValueError naming the cell: make land\n"
            "a wall.")
        .def("add_gauge", &addGaugeOf, py::arg("x"), py::arg("y"),
             R"doc(add_gauge(self, x, y)
--

A gauge at cell (x, y): run() records h there.

Parameters
----------
x, y : int
    The cell, inside the basin and not a wall.

Raises
------
ValueError
    For a cell outside the basin or in a wall.
)doc")
        .def_property_readonly(
            "gauges",
            [](const PyBasin& s) {
                py::list result;
                for (const Gauge& g : s.basin().gauges)
                    result.append(py::make_tuple(g.x, g.y));
                return py::tuple(result);
            },
            "The gauges as a tuple of (x, y).")
        .def(
            "_check_gauge",
            [](const PyBasin& s, int x, int y) { refusedAs("run", [&] { checkGauge(s.basin(), x, y); }); },
            py::arg("x"), py::arg("y"))
        .def_property_readonly(
            "steps_since_reset", [](const PyBasin& s) { return s.basin().steps; },
            "Steps since the last reset: the sources' clock and run()'s time axis.")
        .def(
            "_record",
            [](const PyBasin& s, long long n, long long every, const std::vector<std::pair<int, int>>& places) {
                std::vector<size_t> cells;
                for (const auto& p : places) {
                    refusedAs("run", [&] { checkGauge(s.basin(), p.first, p.second); });
                    cells.push_back(size_t(s.basin().cellIndex(p.first, p.second)));
                }
                return recordCells(s, n, every, cells);
            },
            py::arg("n"), py::arg("every"), py::arg("places"))
        .def("copy", &copyOf,
             doc::COPY)
        .def("__copy__", &copyOf)
        .def("__deepcopy__", [](const PyBasin& s, const py::object&) { return copyOf(s); })
        .def("__repr__", &reprOf)
        // Pickles through a module function, so that every protocol, 0 included,
        // rebuilds the basin through its constructor.
        // (ripplemoor._basin_from_state is a Python function: pickle finds it by name.)
        .def("__reduce__", [](const PyBasin& s) {
            return py::make_tuple(py::module_::import("ripplemoor").attr("_basin_from_state"),
                                  py::make_tuple(stateOf(s)));
        });
    bindScenes(m, basinClass);
    // basin.h, basin.u, ...: each field's view, as field(name) gives it.
    for (const NamedField& f : BASIN_FIELDS) {
        const std::string name = f.name;
        basinClass.def_property_readonly(
            f.name, [name](const py::object& s) { return fieldView(s, py::str(name), "field"); },
            ("The field " + name + " as a writable float32 view [y, x] of the basin's memory.").c_str());
    }

    m.def("_basin_from_state", &basinFromState, "Rebuilds a pickled Basin from its saved state.");
    m.def("step_all", &stepAll, py::arg("basins"), py::arg("n") = 1,
          doc::STEP_ALL);

    m.def("targets", &targetNames,
          doc::TARGETS);
    m.def("use_target", [](const py::object& name) { useTargetChecked(name, "use_target"); }, py::arg("name"),
          doc::USE_TARGET);
    m.def("target", [] { return simd::chosenTargetName(); }, doc::TARGET);
    // Deprecated names of the same choice, kept so that older scripts run; each
    // call says which name to use.
    m.def("solvers", [] { deprecated("solvers()", "targets()"); return targetNames(); }, doc::SOLVERS);
    m.def(
        "use_solver",
        [](const py::object& name) {
            deprecated("use_solver()", "use_target()");
            useTargetChecked(name, "use_solver");
        },
        py::arg("name"), doc::USE_SOLVER);
    m.def("solver", [] { deprecated("solver()", "target()"); return simd::chosenTargetName(); }, doc::SOLVER);
}
