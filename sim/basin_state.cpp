#include "sim/basin_state.h"

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "sim/gauges.h"
#include "sim/sources.h"
#include "sim/sponge.h"
#include "sim/threads.h"

namespace {

constexpr unsigned char MAGIC[8] = {'R', 'M', 'B', 'A', 'S', 'I', 'N', 0};

[[noreturn]] void refuse(const std::string& why)
{
    throw BasinStateError("not a valid basin state: " + why);
}

class Writer {
public:
    explicit Writer(std::vector<unsigned char>& out) : out_(out) {}
    void u32(uint32_t value)
    {
        for (int shift = 0; shift < 32; shift += 8)
            out_.push_back(static_cast<unsigned char>(value >> shift));
    }
    void u64(uint64_t value)
    {
        for (int shift = 0; shift < 64; shift += 8)
            out_.push_back(static_cast<unsigned char>(value >> shift));
    }
    void f32(float value)
    {
        uint32_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        u32(bits);
    }
    void f64(double value)
    {
        uint64_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        u64(bits);
    }
    void bytes(const void* data, size_t size)
    {
        const auto* p = static_cast<const unsigned char*>(data);
        out_.insert(out_.end(), p, p + size);
    }
    size_t size() const { return out_.size(); }
    // Writes a u64 at an earlier place (a section's length once its payload is known).
    void patchU64(size_t at, uint64_t value)
    {
        for (int k = 0; k < 8; ++k)
            out_[at + size_t(k)] = static_cast<unsigned char>(value >> (8 * k));
    }

private:
    std::vector<unsigned char>& out_;
};

// Reads within [data, data + size); running past the end is a refusal.
class Reader {
public:
    Reader(const unsigned char* data, size_t size, std::string what) : p_(data), left_(size), what_(std::move(what))
    {
    }
    const unsigned char* take(size_t n)
    {
        if (n > left_)
            refuse(what_ + " ends early");
        const unsigned char* at = p_;
        p_ += n;
        left_ -= n;
        return at;
    }
    uint32_t u32()
    {
        const unsigned char* b = take(4);
        return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
    }
    uint64_t u64()
    {
        const uint64_t lo = u32();
        return lo | uint64_t(u32()) << 32;
    }
    int32_t i32()
    {
        const uint32_t bits = u32();
        int32_t value = 0;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    float f32()
    {
        const uint32_t bits = u32();
        float value = 0;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    double f64()
    {
        const uint64_t bits = u64();
        double value = 0;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    size_t left() const { return left_; }
    const std::string& what() const { return what_; }

private:
    const unsigned char* p_;
    size_t left_;
    std::string what_;
};

// ---- sections -----------------------------------------------------------------------

// One part of the state. payloadBytes is the exact length its reader accepts for
// the configuration, checked before the basin is allocated (0: any length, the
// reader bounds itself). written says whether a basin writes it at all, so that an
// optional part that holds nothing costs nothing.
struct Section {
    char tag[5];
    bool required;
    uint64_t (*payloadBytes)(const BasinConfig& config);
    bool (*written)(const Basin& basin);
    void (*write)(const Basin& basin, Writer& out);
    void (*read)(Basin& basin, Reader& in);
};

uint64_t cellsOf(const BasinConfig& c)
{
    return uint64_t(c.width) * uint64_t(c.height);
}

bool always(const Basin&)
{
    return true;
}

// ---- the wave tank's parts, each written only when in use ----

constexpr uint64_t SOURCE_BYTES = 4 + 5 * 4 + 4 * 8 + 8;

void writeSources(const Basin& b, Writer& out)
{
    out.u32(uint32_t(b.sources.size()));
    for (const WaveSource& s : b.sources) {
        out.u32(uint32_t(s.kind));
        for (int v : {s.x0, s.y0, s.x1, s.y1, s.radius})
            out.u32(uint32_t(v));
        for (double v : {s.period, s.amplitude, s.phase, s.ramp})
            out.f64(v);
        out.u64(s.startStep);
    }
}

void readSources(Basin& b, Reader& in)
{
    const uint32_t count = in.u32();
    if (uint64_t(count) * SOURCE_BYTES != in.left())
        refuse(std::to_string(count) + " sources in " + std::to_string(in.left()) + " bytes");
    for (uint32_t k = 0; k < count; ++k) {
        const uint32_t kind = in.u32();
        int v[5];
        for (int& x : v)
            x = in.i32();
        double t[4];
        for (double& x : t)
            x = in.f64();
        const uint64_t start = in.u64();
        if (kind != WaveSource::POINT && kind != WaveSource::LINE)
            refuse("source kind " + std::to_string(kind));
        try {
            WaveSource s = kind == WaveSource::POINT ? pointSource(b, v[0], v[1], v[4], t[0], t[1], t[2], t[3])
                                                     : lineSource(b, v[0], v[1], v[2], v[3], t[0], t[1], t[2], t[3]);
            s.startStep = start;
            b.sources.push_back(std::move(s));
        } catch (const std::invalid_argument& e) {
            refuse(e.what());
        }
    }
}

void writeGauges(const Basin& b, Writer& out)
{
    out.u32(uint32_t(b.gaugeLog.every));
    out.u32(uint32_t(b.gauges.size()));
    for (const Gauge& g : b.gauges) {
        out.u32(uint32_t(g.x));
        out.u32(uint32_t(g.y));
    }
    out.u64(b.gaugeLog.steps.size());
    for (uint64_t step : b.gaugeLog.steps)
        out.u64(step);
    for (float value : b.gaugeLog.h)
        out.f32(value);
}

void readGauges(Basin& b, Reader& in)
{
    const int32_t every = in.i32();
    if (every < 1)
        refuse("gauges every " + std::to_string(every) + " steps");
    const uint32_t count = in.u32();
    if (uint64_t(count) * 8 > in.left())
        refuse(std::to_string(count) + " gauges in " + std::to_string(in.left()) + " bytes");
    for (uint32_t k = 0; k < count; ++k) {
        const int32_t x = in.i32(), y = in.i32();
        if (x < 0 || x >= b.width() || y < 0 || y >= b.height())
            refuse("gauge (" + std::to_string(x) + ", " + std::to_string(y) + ") outside the basin");
        b.gauges.push_back({x, y});
    }
    const uint64_t records = in.u64();
    if (records > in.left() / 8 || records * (8 + 4 * uint64_t(count)) != in.left())
        refuse(std::to_string(records) + " gauge records in " + std::to_string(in.left()) + " bytes");
    b.gaugeLog.every = every;
    for (uint64_t r = 0; r < records; ++r)
        b.gaugeLog.steps.push_back(in.u64());
    for (uint64_t k = 0; k < records * count; ++k)
        b.gaugeLog.h.push_back(in.f32());
}

const Section SECTIONS[] = {
    {"FLDS", true, [](const BasinConfig& c) { return cellsOf(c) * FIELD_COUNT * sizeof(float); }, always,
     [](const Basin& b, Writer& out) {
         for (const NamedField& f : BASIN_FIELDS)
             for (float value : b.*f.field)
                 out.f32(value);
     },
     [](Basin& b, Reader& in) {
         // Any float is a state the step handles, non-finite ones included.
         for (const NamedField& f : BASIN_FIELDS)
             for (float& value : b.*f.field)
                 value = in.f32();
     }},
    {"WALL", true, [](const BasinConfig& c) { return cellsOf(c); }, always,
     [](const Basin& b, Writer& out) { out.bytes(b.walls.data(), b.walls.size()); },
     [](Basin& b, Reader& in) { std::memcpy(b.walls.data(), in.take(b.walls.size()), b.walls.size()); }},
    {"MODE", true, [](const BasinConfig&) { return uint64_t(4); }, always,
     [](const Basin& b, Writer& out) { out.u32(uint32_t(b.colorMode)); },
     [](Basin& b, Reader& in) {
         const int32_t mode = in.i32();
         if (mode < FIRST_MODE || mode > LAST_MODE)
             refuse("colour mode " + std::to_string(mode) + " is not " + std::to_string(FIRST_MODE) + " to " +
                    std::to_string(LAST_MODE));
         b.colorMode = mode;
     }},
    {"RNGS", true, [](const BasinConfig&) { return uint64_t(3 * (MODE_COUNT - 1) * sizeof(float)); }, always,
     [](const Basin& b, Writer& out) {
         for (const NamedRange& r : rangeVariables())
             out.f32(r.of(b));
     },
     [](Basin& b, Reader& in) {
         for (const NamedRange& r : rangeVariables())
             r.of(b) = in.f32();
     }},
    {"DGEN", true, [](const BasinConfig&) { return uint64_t((DropGenerator::WORDS + 2) * 4); }, always,
     [](const Basin& b, Writer& out) {
         for (uint32_t w : b.generator.words)
             out.u32(w);
         out.u32(uint32_t(b.generator.front));
         out.u32(uint32_t(b.generator.rear));
     },
     [](Basin& b, Reader& in) {
         DropGenerator g;
         for (uint32_t& w : g.words)
             w = in.u32();
         g.front = in.i32();
         g.rear = in.i32();
         // next() indexes words with both; the generator keeps them three apart.
         if (g.front < 0 || g.front >= DropGenerator::WORDS || g.rear < 0 || g.rear >= DropGenerator::WORDS ||
             (g.front - g.rear + DropGenerator::WORDS) % DropGenerator::WORDS != 3)
             refuse("drop generator positions " + std::to_string(g.front) + ", " + std::to_string(g.rear) +
                    " are not two of 0 to " + std::to_string(DropGenerator::WORDS - 1) + " three apart");
         b.generator = g;
     }},
    // The wave tank's parts; a state from before them reads as none in use.
    {"BED ", false, [](const BasinConfig& c) { return cellsOf(c) * sizeof(float); },
     [](const Basin& b) {
         for (float z : b.bed)
             if (z != 0.0f)
                 return true;
         return false;
     },
     [](const Basin& b, Writer& out) {
         for (float z : b.bed)
             out.f32(z);
     },
     [](Basin& b, Reader& in) {
         // Checked by the next step or reset, which name a bad cell.
         for (float& z : b.bed)
             z = in.f32();
     }},
    {"SRCS", false, [](const BasinConfig&) { return uint64_t(0); }, [](const Basin& b) { return !b.sources.empty(); },
     writeSources, readSources},
    {"SPNG", false, [](const BasinConfig&) { return uint64_t(16); }, [](const Basin& b) { return b.sponge.width > 0; },
     [](const Basin& b, Writer& out) {
         out.u32(uint32_t(b.sponge.width));
         out.u32(b.sponge.edges);
         out.f64(b.sponge.strength);
     },
     [](Basin& b, Reader& in) {
         const int32_t width = in.i32();
         const uint32_t edges = in.u32();
         const double strength = in.f64();
         try {
             setSponge(b, width, edges, strength);
         } catch (const std::invalid_argument& e) {
             refuse(e.what());
         }
     }},
    {"GAUG", false, [](const BasinConfig&) { return uint64_t(0); },
     [](const Basin& b) { return !b.gauges.empty() || b.gaugeLog.every != 1; }, writeGauges, readGauges},
    {"STEP", false, [](const BasinConfig&) { return uint64_t(8); }, [](const Basin& b) { return b.steps != 0; },
     [](const Basin& b, Writer& out) { out.u64(b.steps); }, [](Basin& b, Reader& in) { b.steps = in.u64(); }},
    // The volume keeper: on or off, and the volume it still owes the water.
    {"VOLM", false, [](const BasinConfig&) { return uint64_t(12); },
     [](const Basin& b) { return b.volumeKeeper.on || b.volumeKeeper.debt != 0.0; },
     [](const Basin& b, Writer& out) {
         out.u32(b.volumeKeeper.on ? 1u : 0u);
         out.f64(b.volumeKeeper.debt);
     },
     [](Basin& b, Reader& in) {
         const uint32_t on = in.u32();
         const double debt = in.f64();
         if (on > 1)
             refuse("the volume keeper's switch is " + std::to_string(on) + ", not 0 or 1");
         if (!std::isfinite(debt))
             refuse("the volume keeper's debt is not finite");
         b.volumeKeeper.on = on == 1;
         b.volumeKeeper.debt = debt;
     }},
};

const Section* findSection(const unsigned char* tag)
{
    for (const Section& s : SECTIONS)
        if (std::memcmp(s.tag, tag, 4) == 0)
            return &s;
    return nullptr;
}

std::string tagText(const unsigned char* tag)
{
    std::string text;
    for (int k = 0; k < 4; ++k)
        text += tag[k] >= 0x20 && tag[k] < 0x7F ? char(tag[k]) : '?';
    return "'" + text + "'";
}

BasinConfig readConfig(Reader& in)
{
    BasinConfig c;
    const uint32_t width = in.u32(), height = in.u32();
    if (width > uint32_t(INT_MAX) || height > uint32_t(INT_MAX))
        refuse("a size of " + std::to_string(width) + " x " + std::to_string(height) + " cells");
    c.width = int(width);
    c.height = int(height);
    c.cellSize = in.f32();
    c.timestep = in.f32();
    c.gravity = in.f64();
    c.restHeight = in.f32();
    const uint32_t threads = in.u32();
    if (threads > uint32_t(MAX_THREADS))
        refuse(std::to_string(threads) + " threads, more than " + std::to_string(MAX_THREADS));
    c.threads = int(threads);
    try {
        checkBasinConfig(c);
    } catch (const std::invalid_argument& e) {
        refuse(e.what());
    } catch (const std::length_error& e) {
        refuse(e.what());
    }
    return c;
}

} // namespace

std::vector<unsigned char> saveBasinState(const Basin& basin)
{
    std::vector<unsigned char> bytes;
    Writer out(bytes);
    out.bytes(MAGIC, sizeof MAGIC);
    out.u32(BASIN_STATE_VERSION);
    const BasinConfig& c = basin.config();
    out.u32(uint32_t(c.width));
    out.u32(uint32_t(c.height));
    out.f32(c.cellSize);
    out.f32(c.timestep);
    out.f64(c.gravity);
    out.f32(c.restHeight);
    out.u32(uint32_t(c.threads));
    for (const Section& s : SECTIONS) {
        if (!s.written(basin))
            continue;
        out.bytes(s.tag, 4);
        const size_t lengthAt = out.size();
        out.u64(0);
        s.write(basin, out);
        out.patchU64(lengthAt, uint64_t(out.size() - lengthAt - 8));
    }
    return bytes;
}

Basin restoreBasinState(const unsigned char* data, size_t size)
{
    Reader in(data, size, "the state");
    if (size < sizeof MAGIC || std::memcmp(data, MAGIC, sizeof MAGIC) != 0)
        refuse("it does not start with the basin state's mark");
    in.take(sizeof MAGIC);
    const uint32_t version = in.u32();
    if (version != BASIN_STATE_VERSION)
        refuse("format version " + std::to_string(version) + ", this build reads " +
               std::to_string(BASIN_STATE_VERSION));
    const BasinConfig config = readConfig(in);

    // Every section's place and length first: the basin is allocated only once
    // the bytes are known to hold all that it needs.
    struct Found {
        const Section* section;
        const unsigned char* payload;
        size_t length;
    };
    std::vector<Found> found;
    while (in.left() > 0) {
        const unsigned char* tag = in.take(4);
        const Section* section = findSection(tag);
        if (section == nullptr)
            refuse("unknown section " + tagText(tag));
        for (const Found& f : found)
            if (f.section == section)
                refuse("section " + tagText(tag) + " appears twice");
        const uint64_t length = in.u64();
        if (length > in.left())
            refuse("section " + tagText(tag) + " runs past the end");
        const uint64_t expected = section->payloadBytes(config);
        if (expected != 0 && length != expected)
            refuse("section " + tagText(tag) + " holds " + std::to_string(length) + " bytes, not " +
                   std::to_string(expected));
        found.push_back({section, in.take(size_t(length)), size_t(length)});
    }
    for (const Section& s : SECTIONS) {
        if (!s.required)
            continue;
        bool present = false;
        for (const Found& f : found)
            present = present || f.section == &s;
        if (!present)
            refuse(std::string("section '") + s.tag + "' is missing");
    }

    Basin basin(config);
    for (const Found& f : found) {
        Reader payload(f.payload, f.length, std::string("section '") + f.section->tag + "'");
        f.section->read(basin, payload);
        if (payload.left() != 0)
            refuse(payload.what() + " has " + std::to_string(payload.left()) + " bytes too many");
    }
    basin.noteFieldsChanged();
    return basin;
}
