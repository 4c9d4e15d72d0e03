// Scene masks where there is no libpng (the WebAssembly build, and the cross
// builds, whose architectures' libpng Debian's security archive does not always
// carry at the host's version): a scene with rectangles reads as natively; one
// that names a PNG mask, or a save, is refused with this reason (the presets use
// rectangles only).

#include "scene/mask.h"

namespace {

[[noreturn]] void unavailable()
{
    throw MaskError("PNG masks are not read in this build (no libpng); give the walls as rectangles");
}

} // namespace

MaskPicture decodeMask(const unsigned char*, size_t, uint64_t) { unavailable(); }

MaskPicture readMaskFile(const std::string&) { unavailable(); }

// Only ever given a decoded mask, which this build never has.
std::vector<uint8_t> scaleMask(const MaskPicture&, int, int) { unavailable(); }

void writeMaskFile(const std::string&, const std::vector<uint8_t>&, int, int) { unavailable(); }
