#include "sky/sky_picture.h"

#include <cmath>
#include <cstdio>

namespace sky {

namespace {

double clamp01(double v)
{
    return v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v);
}

double smoothstep(double edge0, double edge1, double v)
{
    const double t = clamp01((v - edge0) / (edge1 - edge0));
    return t * t * (3.0 - 2.0 * t);
}

Colour mix(Colour a, Colour b, double t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Direction normalise(Direction d)
{
    const double len = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
    return {d.x / len, d.y / len, d.z / len};
}

// Lattice hash to [0, 1): a fixed integer mix, so the picture is the same on
// every run and machine.
double latticeValue(int32_t x, int32_t y)
{
    uint32_t h = uint32_t(x) * 0x8DA6B343u ^ uint32_t(y) * 0xD8163841u;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return double(h >> 8) / double(1u << 24);
}

double valueNoise(double x, double y)
{
    const double fx = std::floor(x), fy = std::floor(y);
    const int32_t ix = int32_t(fx), iy = int32_t(fy);
    const double tx = smoothstep(0.0, 1.0, x - fx), ty = smoothstep(0.0, 1.0, y - fy);
    const double a = latticeValue(ix, iy), b = latticeValue(ix + 1, iy);
    const double c = latticeValue(ix, iy + 1), d = latticeValue(ix + 1, iy + 1);
    const double top = a + (b - a) * tx, bottom = c + (d - c) * tx;
    return top + (bottom - top) * ty;
}

// Five octaves, normalised to [0, 1].
double fractalNoise(double x, double y)
{
    double sum = 0.0, amplitude = 0.5, total = 0.0;
    for (int octave = 0; octave < 5; ++octave) {
        sum += amplitude * valueNoise(x, y);
        total += amplitude;
        x = x * 2.03 + 17.1;
        y = y * 2.03 - 9.7;
        amplitude *= 0.5;
    }
    return sum / total;
}

const Colour HORIZON = {0.80, 0.87, 0.95};
const Colour ZENITH = {0.14, 0.33, 0.76};
const Colour HAZE = {0.58, 0.64, 0.68};
const Colour GROUND_NEAR = {0.30, 0.36, 0.35};
const Colour GROUND_FAR = {0.12, 0.16, 0.15};
const Colour CLOUD_LIT = {0.98, 0.98, 0.99};
const Colour CLOUD_SHADE = {0.72, 0.75, 0.82};
const Colour SUN = {1.0, 0.97, 0.88};
const Colour GLOW = {1.0, 0.82, 0.55};

// Low in the quarter the default camera faces, so it shows behind the water.
const Direction SUN_DIRECTION = normalise({-0.45, 0.40, -0.80});

Colour gradient(double up)
{
    return mix(HORIZON, ZENITH, std::pow(clamp01(up), 0.55));
}

// Clouds on a flat deck above the viewer: the projection makes them shrink
// towards the horizon, where they fade out.
Colour addClouds(Colour base, Direction d)
{
    if (d.y <= 0.0)
        return base;
    const double deck = 1.0 / (d.y + 0.22);
    const double density = fractalNoise(d.x * deck * 2.2, d.z * deck * 2.2);
    const double cover = smoothstep(0.50, 0.74, density) * smoothstep(0.0, 0.25, d.y);
    const double lit = smoothstep(0.45, 0.85, fractalNoise(d.x * deck * 4.0 + 5.0, d.z * deck * 4.0));
    return mix(base, mix(CLOUD_SHADE, CLOUD_LIT, lit), 0.85 * cover);
}

Colour addSun(Colour base, Direction d)
{
    const double c = d.x * SUN_DIRECTION.x + d.y * SUN_DIRECTION.y + d.z * SUN_DIRECTION.z;
    const double near = c > 0.0 ? c : 0.0;
    const double glow = 0.30 * std::pow(near, 300.0) + 0.18 * std::pow(near, 12.0);
    const double disc = smoothstep(std::cos(0.032), std::cos(0.024), c);
    Colour out = {base.r + GLOW.r * glow, base.g + GLOW.g * glow, base.b + GLOW.b * glow};
    return mix(out, SUN, disc);
}

Colour ground(double down)
{
    return mix(GROUND_NEAR, GROUND_FAR, smoothstep(0.0, 0.7, down));
}

uint8_t toByte(double v)
{
    return uint8_t(std::lround(clamp01(v) * 255.0));
}

} // namespace

Direction texelDirection(int face, int i, int j, int faceSize)
{
    const double sc = 2.0 * (i + 0.5) / faceSize - 1.0;
    const double tc = 2.0 * (j + 0.5) / faceSize - 1.0;
    // Inverse of GL's cube-map face selection: the texture-space direction r.
    Direction r{};
    switch (face) {
    case 0: r = {1.0, -tc, -sc}; break;
    case 1: r = {-1.0, -tc, sc}; break;
    case 2: r = {sc, 1.0, tc}; break;
    case 3: r = {sc, -1.0, -tc}; break;
    case 4: r = {sc, -tc, 1.0}; break;
    default: r = {-sc, -tc, -1.0}; break;
    }
    // The sky box gives its X and Y faces the vertex with z negated as texture
    // coordinate and its Z faces the vertex with x negated; undo that so each
    // texel is coloured for the direction it is seen in.
    if (face < 4)
        return {r.x, r.y, -r.z};
    return {-r.x, r.y, r.z};
}

Colour skyColour(Direction world)
{
    const Direction d = normalise(world);
    Colour sky = addSun(addClouds(gradient(d.y), d), d);
    if (d.y < 0.0) {
        const Colour horizonLine = mix(sky, HAZE, smoothstep(0.0, 0.03, -d.y));
        sky = mix(horizonLine, ground(-d.y), smoothstep(0.0, 0.2, -d.y));
    }
    return sky;
}

std::vector<uint8_t> makePicture(int faceSize)
{
    const int width = 3 * faceSize;
    std::vector<uint8_t> rgb(size_t(width) * 2 * faceSize * 3);
    for (int face = 0; face < 6; ++face) {
        for (int j = 0; j < faceSize; ++j) {
            const int row = FACE_ROW[face] * faceSize + j;
            for (int i = 0; i < faceSize; ++i) {
                const int column = FACE_COLUMN[face] * faceSize + i;
                const Colour c = skyColour(texelDirection(face, i, j, faceSize));
                uint8_t* p = &rgb[(size_t(row) * width + column) * 3];
                p[0] = toByte(c.r);
                p[1] = toByte(c.g);
                p[2] = toByte(c.b);
            }
        }
    }
    return rgb;
}

bool writeTarga(const char* path, const std::vector<uint8_t>& rgb, int width, int height)
{
    FILE* f = fopen(path, "wb");
    if (f == nullptr)
        return false;
    // Type 2, 24 bits, descriptor 0x20: rows are stored top first.
    const uint8_t header[18] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                uint8_t(width & 0xFF), uint8_t(width >> 8),
                                uint8_t(height & 0xFF), uint8_t(height >> 8), 24, 0x20};
    bool ok = fwrite(header, 1, sizeof header, f) == sizeof header;
    std::vector<uint8_t> bgr(rgb.size());
    for (size_t p = 0; p + 2 < rgb.size(); p += 3) {
        bgr[p] = rgb[p + 2];
        bgr[p + 1] = rgb[p + 1];
        bgr[p + 2] = rgb[p];
    }
    ok = ok && fwrite(bgr.data(), 1, bgr.size(), f) == bgr.size();
    return fclose(f) == 0 && ok;
}

} // namespace sky
