#pragma once

#include <string>

// Compiles one display list per character code 0..127 from the bitmap font.
void initFont();

// Draws text with its baseline starting at (x, y) in normalised window coordinates.
void drawText(std::string text, float x, float y);
