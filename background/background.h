#pragma once

#include <cstdint>

struct Rect {
    int16_t x, y, w, h;
};

// Something the scene is drawn in front of, compiled once into a display list.
class Background {
public:
    uint32_t list = 0;

    Background();
    ~Background(); // deletes the list; not virtual, nothing destroys a background

    virtual void Init(Rect* rect);
    virtual void Draw() = 0;
};
