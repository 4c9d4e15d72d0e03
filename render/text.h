#pragma once

#include <string>

// Compiles one display list per character code 0..127 from the bitmap font;
// returns the first list's name.
unsigned int initFont();

// Draws text with its baseline starting at (x, y) in normalised window coordinates.
void drawText(std::string text, float x, float y);
