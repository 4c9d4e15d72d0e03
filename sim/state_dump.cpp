// Basin::dump, Basin::dumpBytes and Basin::stateHash (declared in basin.h).

#include "sim/basin.h"

#include <cstring>

namespace {

void appendFloat(std::vector<unsigned char>& out, float value)
{
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<unsigned char>(bits >> shift));
}

} // namespace

size_t Basin::dumpBytes() const
{
    return (DUMPED_FIELD_COUNT * cellCount() + 3 * (MODE_COUNT - 1)) * sizeof(float);
}

std::vector<unsigned char> Basin::dump() const
{
    std::vector<unsigned char> out;
    out.reserve(dumpBytes());
    for (int k = 0; k < DUMPED_FIELD_COUNT; ++k)
        for (float value : this->*BASIN_FIELDS[k].field)
            appendFloat(out, value);
    for (const NamedRange& r : rangeVariables())
        appendFloat(out, r.of(*this));
    return out;
}

uint64_t fnv1a64(const unsigned char* data, size_t size)
{
    uint64_t hash = 14695981039346656037ull;
    for (size_t k = 0; k < size; ++k) {
        hash ^= data[k];
        hash *= 1099511628211ull;
    }
    return hash;
}

uint64_t Basin::stateHash() const
{
    const std::vector<unsigned char> bytes = dump();
    return fnv1a64(bytes.data(), bytes.size());
}
