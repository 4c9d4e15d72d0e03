#pragma once

// What the scene reader and writer share: how numbers and colour modes are
// written, the camera's bounds, and the reader with picture sources of choice
// (the fuzzer reads masks and bed maps from its input, not from files).

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "scene/bed_map.h"
#include "scene/mask.h"
#include "scene/scene.h"

// The orbit camera's own bounds.
constexpr double CAMERA_RADIUS_MIN = 1.0, CAMERA_RADIUS_MAX = 10000.0;
constexpr double CAMERA_PHI_MIN = 3.14159265358979323846 / 1000.0;
constexpr double CAMERA_PHI_MAX = 3.14159265358979323846 - CAMERA_PHI_MIN;
constexpr double CAMERA_THETA_MAX = 2.0 * 3.14159265358979323846;

// The shortest decimal that reads back as the same double: a TOML float (it
// always has a '.' or an exponent), or nan / inf / -inf.
std::string formatReal(double value);
// The shortest decimal that reads back, as a double rounded to float, as the
// same float.
std::string formatFloat(float value);

// "plain", then the names of the quantities the modes show ("h", ...).
const std::vector<std::string>& modeNames();
// The mode of that name, or -1.
int modeOfName(const std::string& name);

using MaskLoader = std::function<MaskPicture(const std::string& path)>;
using BedMapLoader = std::function<BedMap(const std::string& path)>;
// maxCells bounds the basins read below what checkBasinConfig allows (the
// fuzzer's memory is smaller than the machine's).
Scene parseScene(const std::string& text, const std::string& name, const std::string& folder,
                 const MaskLoader& loadMask, const BedMapLoader& loadBedMap, uint64_t maxCells = UINT64_MAX);
