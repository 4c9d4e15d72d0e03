// Scene masks in the WebAssembly builds, which have no libpng: a scene with
// rectangles reads as natively; one that names a PNG mask is refused with this
// reason (the presets use rectangles only).

#include "scene/mask.h"

namespace {

[[noreturn]] void unavailable()
{
    throw MaskError("PNG masks are not read in the browser build (no libpng); give the walls as rectangles");
}

} // namespace

MaskPicture decodeMask(const unsigned char*, size_t, uint64_t) { unavailable(); }

MaskPicture readMaskFile(const std::string&) { unavailable(); }

// Only ever given a decoded mask, which this build never has.
std::vector<uint8_t> scaleMask(const MaskPicture&, int, int) { unavailable(); }

void writeMaskFile(const std::string&, const std::vector<uint8_t>&, int, int) { unavailable(); }
