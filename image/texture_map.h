#pragma once

#include <cstdint>

class Image;

// Texture-coordinate generation record applied by TextureMap::Bind.
struct TexGen {
    uint8_t mode = 0;      // 0 eye linear, 1 object linear, 2 sphere, 3 normal, 4 reflection
    uint8_t coordMask = 0; // bit 0 S, 1 T, 2 R, 3 Q

    void Apply();
};

// Fields of the texture flag word.
namespace TextureFlags {
constexpr uint32_t ALPHA_MASK = 0x3;
constexpr uint32_t MIN_FILTER_MASK = 0x1C, MIN_FILTER_SHIFT = 2;
constexpr uint32_t MAG_NEAREST = 0x20;
constexpr uint32_t WRAP_S_MASK = 0x1C0, WRAP_S_SHIFT = 6;
constexpr uint32_t WRAP_T_MASK = 0xE00, WRAP_T_SHIFT = 9;
constexpr uint32_t WRAP_R_MASK = 0x7000, WRAP_R_SHIFT = 12;
constexpr uint32_t FORMAT_MASK = 0x78000, FORMAT_SHIFT = 15;
constexpr uint32_t COMPRESSION_MASK = 0x180000, COMPRESSION_SHIFT = 19;
constexpr uint32_t ENV_MASK = 0xE00000, ENV_SHIFT = 21;
constexpr uint32_t TARGET_MASK = 0x3000000, TARGET_SHIFT = 24;
constexpr uint32_t ANISOTROPY_MASK = 0xC000000, ANISOTROPY_SHIFT = 26;
} // namespace TextureFlags

// One GL texture object set up from an Image and a flag word.
class TextureMap {
public:
    uint16_t id = 0;
    TexGen* texgen = nullptr; // not owned
    uint32_t flags = 0;
    uint8_t maxLevel = 0;
    uint8_t priority = 0; // residency priority in 255ths

    TextureMap();

    // Uploads image and sets the sampling state; 0 on success, -1 on failure.
    int Setup(uint32_t word, Image& image);

    // Sets the environment mode, binds the texture and applies texgen.
    void Bind();

    // GL target named by the target field of flags.
    unsigned int Target() const;
};
