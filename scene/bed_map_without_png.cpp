// Bed maps where there is no libpng (the WebAssembly build and the cross
// builds, as for masks): a scene that names one is refused with this reason.

#include "scene/bed_map.h"

namespace {

[[noreturn]] void unavailable()
{
    throw BedMapError("PNG bed maps are not read in this build (no libpng); give the bed as a constant, a slope or "
                      "rectangles");
}

} // namespace

BedMap decodeBedMap(const unsigned char*, size_t, uint64_t) { unavailable(); }

BedMap readBedMapFile(const std::string&) { unavailable(); }
