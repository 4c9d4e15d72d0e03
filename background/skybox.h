#pragma once

#include <string>

#include "background/background.h"

class TextureMap;

// A cube around the viewer textured with the cube map read from a TGA picture,
// "skybox.tga" in the current folder unless the program is told another.
class Skybox : public Background {
public:
    TextureMap* texture = nullptr; // never deleted
    float halfSize = 10.0f;

    // Loads the picture; ends the process with status -1 when it cannot be read.
    explicit Skybox(const std::string& path = "skybox.tga");

    void Init(Rect* rect) override; // compiles the cube; the rect is ignored
    void Draw() override;
};
