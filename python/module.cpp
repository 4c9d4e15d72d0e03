// ripplemoor._core: the real solver library as a Python extension. The state is
// the program's process-wide state (app/state.h), so there is one simulation per
// process; the fields are handed out as NumPy arrays over its own memory.

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include "app/state.h"
#include "python/arguments.h"
#include "sim/drops.h"
#include "sim/solver_path.h"
#include "sim/state_dump.h"
#include "sim/step.h"

namespace py = pybind11;
using ripplemoor_python::integerArgument;
using ripplemoor_python::realArgument;
using ripplemoor_python::textArgument;

namespace {

// step() runs without the GIL; every call that touches the state takes this lock,
// so a second Python thread waits instead of racing the solver. Writes through
// the field views bypass it.
std::mutex& stateMutex()
{
    static std::mutex mutex;
    return mutex;
}

struct NamedField {
    const char* name;
    Field* field;
};

const NamedField FIELDS[] = {
    {"h", &h},
    {"u", &u},
    {"v", &v},
    {"scratch", &scratch},
    {"heightChange", &heightChange},
    {"heightAccel", &heightAccel},
    {"speedSq", &speedSq},
    {"flowDirection", &flowDirection},
    {"energyProduct", &energyProduct},
};

struct NamedRange {
    const char* name;
    float* value;
};

// In the order of the dump.
const NamedRange RANGES[] = {
    {"hMax", &hMax},
    {"hMin", &hMin},
    {"hScale", &hScale},
    {"heightChangeMax", &heightChangeMax},
    {"heightChangeMin", &heightChangeMin},
    {"heightChangeScale", &heightChangeScale},
    {"heightAccelMax", &heightAccelMax},
    {"heightAccelMin", &heightAccelMin},
    {"heightAccelScale", &heightAccelScale},
    {"speedSqMax", &speedSqMax},
    {"speedSqMin", &speedSqMin},
    {"speedSqScale", &speedSqScale},
    {"flowDirectionMax", &flowDirectionMax},
    {"flowDirectionMin", &flowDirectionMin},
    {"flowDirectionScale", &flowDirectionScale},
    {"energyProductMax", &energyProductMax},
    {"energyProductMin", &energyProductMin},
    {"energyProductScale", &energyProductScale},
};

std::string fieldNames()
{
    std::string names;
    for (const NamedField& f : FIELDS)
        names += std::string(names.empty() ? "" : ", ") + f.name;
    return names;
}

// The same start as the replay tool: fields sized and at rest, ranges reset,
// colour mode 0, the default solver, rand() unseeded.
void startUp()
{
    colorMode = 0;
    sizeFields();
    resetFields();
    resetRanges();
}

py::array field(const py::object& nameArg)
{
    const std::string name = textArgument(nameArg, "field", "name");
    const auto found = std::find_if(std::begin(FIELDS), std::end(FIELDS),
                                    [&](const NamedField& f) { return name == f.name; });
    if (found == std::end(FIELDS))
        throw py::value_error("field(): unknown name '" + name + "'; the fields are " + fieldNames());
    // The fields are sized once and never reallocated, so the memory outlives every
    // view; the capsule only tells NumPy not to copy or free it.
    const py::capsule owner(found->field->data(), [](void*) {});
    const ssize_t n = GRID_SIZE;
    return py::array_t<float>({n, n}, {ssize_t(sizeof(float)) * n, ssize_t(sizeof(float))},
                              found->field->data(), owner);
}

void step(const py::object& countArg)
{
    const long long count = integerArgument(countArg, "step", "n", 0, LLONG_MAX);
    // In chunks, so that Ctrl-C is seen during a long run.
    constexpr long long CHUNK = 1024;
    for (long long done = 0; done < count;) {
        const long long chunk = std::min(CHUNK, count - done);
        {
            py::gil_scoped_release release;
            std::lock_guard<std::mutex> lock(stateMutex());
            for (long long k = 0; k < chunk; ++k)
                simulationStep();
        }
        done += chunk;
        if (done < count && PyErr_CheckSignals() != 0)
            throw py::error_already_set();
    }
}

void addDropChecked(const py::object& cxArg, const py::object& cyArg, const py::object& radiusArg,
                    const py::object& incrementArg)
{
    const int cx = int(integerArgument(cxArg, "add_drop", "cx", INT_MIN, INT_MAX));
    const int cy = int(integerArgument(cyArg, "add_drop", "cy", INT_MIN, INT_MAX));
    const int radius = int(integerArgument(radiusArg, "add_drop", "radius", 1, INT_MAX));
    const float increment = float(realArgument(incrementArg, "add_drop", "increment"));
    std::lock_guard<std::mutex> lock(stateMutex());
    addDrop(cx, cy, radius, increment);
}

void setColorMode(const py::object& modeArg)
{
    const int mode = int(integerArgument(modeArg, "", "color_mode", 0, 6));
    std::lock_guard<std::mutex> lock(stateMutex());
    colorMode = mode;
}

py::dict ranges()
{
    std::lock_guard<std::mutex> lock(stateMutex());
    py::dict result;
    for (const NamedRange& r : RANGES)
        result[r.name] = double(*r.value);
    return result;
}

void useSolverChecked(const py::object& nameArg)
{
    const std::string name = textArgument(nameArg, "use_solver", "name");
    std::lock_guard<std::mutex> lock(stateMutex());
    if (useSolver(name))
        return;
    std::string offered;
    for (const std::string& choice : solverNames())
        offered += std::string(offered.empty() ? "" : ", ") + choice;
    throw py::value_error("use_solver(): unknown or unavailable solver '" + name +
                          "'; this processor offers: " + offered);
}

py::bytes dump()
{
    std::vector<unsigned char> bytes;
    {
        std::lock_guard<std::mutex> lock(stateMutex());
        bytes = stateBytes();
    }
    return py::bytes(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

} // namespace

PYBIND11_MODULE(_core, m)
{
    // Each docstring opens with its own text signature, which inspect and help() read.
    py::options options;
    options.disable_function_signatures();
    m.doc() = "The compiled core of ripplemoor; use the ripplemoor package.";
    startUp();

    m.attr("GRID_SIZE") = GRID_SIZE;
    m.attr("TIMESTEP") = double(TIMESTEP);
    m.attr("CELL_SIZE") = double(CELL_SIZE);
    m.attr("GRAVITY") = GRAVITY;

    m.def("field", &field, py::arg("name"),
          "field(name)\n--\n\n"
          "The field called name as a writable float32 array of shape (160, 160),\n"
          "indexed [y, x] for cell (x, y). It is the simulation's own memory, not a\n"
          "copy: writes take effect in the next step, and the view stays valid and\n"
          "shared for the life of the process, reset() included.\n\n"
          "Names: h, u, v, scratch, heightChange, heightAccel, speedSq,\n"
          "flowDirection, energyProduct. An unknown name raises ValueError.");
    m.def("step", &step, py::arg("n") = 1,
          "step(n=1)\n--\n\n"
          "Runs n whole simulation steps (advect h, u, v; height update; velocity\n"
          "update; border copy), without holding the GIL. n < 0 raises ValueError.");
    m.def("add_drop", &addDropChecked, py::arg("cx"), py::arg("cy"), py::arg("radius"),
          py::arg("increment"),
          "add_drop(cx, cy, radius, increment)\n--\n\n"
          "Raises the 2r x 2r patch of columns cx-r..cx+r-1 and rows cy-r..cy+r-1\n"
          "of h by increment (r = radius, at least 1), capping each cell at 1.1.\n"
          "Any centre is allowed: the patch is clipped at the edges of the grid.");
    m.def("random_drop", [] {
              std::lock_guard<std::mutex> lock(stateMutex());
              randomDrop();
          },
          "random_drop()\n--\n\n"
          "The drop of the program's 'd' key: a random place, radius 1 to 7 and\n"
          "increment in [0.01, 0.07), from four draws of the C library's rand().");
    m.def("seed", [](const py::object& s) {
              const long long value = integerArgument(s, "seed", "s", 0, 4294967295LL);
              std::lock_guard<std::mutex> lock(stateMutex());
              std::srand(unsigned(value));
          },
          py::arg("s"),
          "seed(s)\n--\n\n"
          "Seeds the generator that random_drop() draws from (srand); s is 0 to 2**32-1.");
    m.def("reset", [] {
              std::lock_guard<std::mutex> lock(stateMutex());
              resetFields();
          },
          "reset()\n--\n\n"
          "The return to rest: h = 1, every other field 0. The colour mode, the\n"
          "ranges and the solver stay as they are; field views stay valid.");
    m.def("get_color_mode", [] { return colorMode; },
          "get_color_mode()\n--\n\nThe colour mode, 0 to 6 (read ripplemoor.color_mode instead).");
    m.def("set_color_mode", &setColorMode, py::arg("mode"),
          "set_color_mode(mode)\n--\n\nSets the colour mode (set ripplemoor.color_mode instead).");
    m.def("ranges", &ranges,
          "ranges()\n--\n\n"
          "The 18 range variables (hMax, hMin, hScale, heightChangeMax, ...,\n"
          "energyProductScale) as a dict, as the latest step left them.");
    m.def("solvers", [] {
              py::list names;
              for (const std::string& name : solverNames())
                  names.append(name);
              return names;
          },
          "solvers()\n--\n\n"
          "The solvers this processor offers, as 'ripplemoor-replay --solver list'\n"
          "prints them: the vector kernel's targets, the default first, then\n"
          "'portable'. Every one gives the same bits.");
    m.def("use_solver", &useSolverChecked, py::arg("name"),
          "use_solver(name)\n--\n\n"
          "Selects a solver by name; an unknown or unavailable one raises ValueError.");
    m.def("solver", [] {
              std::lock_guard<std::mutex> lock(stateMutex());
              return activeSolverName();
          },
          "solver()\n--\n\nThe name of the solver in use.");
    m.def("dump", &dump,
          "dump()\n--\n\n"
          "The state as the replay tool's 'dump' writes it: h, u, v, heightChange,\n"
          "heightAccel, speedSq, flowDirection, energyProduct (25600 little-endian\n"
          "float32 each), then the 18 range variables.");
    m.def("state_hash", [] {
              std::lock_guard<std::mutex> lock(stateMutex());
              return stateHash();
          },
          "state_hash()\n--\n\n"
          "64-bit FNV-1a of dump(), the value that the replay tool's 'hash' prints\n"
          "in hexadecimal.");
}
