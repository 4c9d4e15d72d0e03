#pragma once

// Adds the latest frame-interval sample and draws "FPS: " with the 20-frame average.
void drawFps();
