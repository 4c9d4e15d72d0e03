#pragma once

// The application icon in the layout of the _NET_WM_ICON property: for each size,
// its width and height, then its pixels as 0xAARRGGBB, rows top first. Generated
// at build time from packaging/icons (cmake/IconPixels.cmake).

#include <cstddef>
#include <cstdint>

extern const uint32_t WINDOW_ICON[];
extern const size_t WINDOW_ICON_LENGTH;
