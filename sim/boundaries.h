#pragma once

// Copies the heights next to the border onto the border rows and columns.
void applyBoundaries();
