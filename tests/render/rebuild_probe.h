#pragma once

// Whether the surface rebuilt its kept attributes, seen from the cache itself:
// one kept vertex's height and red are marked with a value no build produces;
// a rebuild overwrites them, and a mark that survives is put back.

#include "render/surface.h"
#include "support/program_names.h"

struct Rebuilt {
    bool geometry, colors;
};

class RebuildProbe {
public:
    // Builds what is due, then marks.
    RebuildProbe()
    {
        surfaceAttributes(view.surface, basin, colorOffsets);
        VertexAttributes& a = view.surface.attributes;
        height_ = a.height[CELL];
        red_ = a.red[CELL];
        a.height[CELL] = MARK;
        a.red[CELL] = MARK;
    }

    // What surfaceAttributes rebuilds now (the frame's way in).
    Rebuilt settle()
    {
        surfaceAttributes(view.surface, basin, colorOffsets);
        VertexAttributes& a = view.surface.attributes;
        const Rebuilt r{a.height[CELL] != MARK, a.red[CELL] != MARK};
        if (!r.geometry)
            a.height[CELL] = height_;
        if (!r.colors)
            a.red[CELL] = red_;
        return r;
    }

private:
    static constexpr size_t CELL = 7 + 9 * size_t(GRID_SIZE);
    static constexpr float MARK = -12345.5f;
    float height_, red_;
};
