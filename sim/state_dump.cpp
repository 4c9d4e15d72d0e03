#include "sim/state_dump.h"

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

std::vector<unsigned char> stateBytes()
{
    std::vector<unsigned char> out;
    out.reserve(STATE_DUMP_BYTES);
    for (const Field* f : {&h, &u, &v})
        for (float value : *f)
            appendFloat(out, value);
    for (int mode = MODE_HEIGHT_CHANGE; mode < MODE_COUNT; ++mode)
        for (float value : *MODE_QUANTITIES[mode].field)
            appendFloat(out, value);
    for (int mode = MODE_H; mode < MODE_COUNT; ++mode)
        for (const float* value : {MODE_QUANTITIES[mode].max, MODE_QUANTITIES[mode].min, MODE_QUANTITIES[mode].scale})
            appendFloat(out, *value);
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

uint64_t stateHash()
{
    const std::vector<unsigned char> bytes = stateBytes();
    return fnv1a64(bytes.data(), bytes.size());
}
