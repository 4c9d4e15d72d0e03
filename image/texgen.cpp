#include "image/texture_map.h"

#include <GL/gl.h>

namespace {

const GLenum COORDS[4] = {GL_S, GL_T, GL_R, GL_Q};

const GLint GEN_MODES[5] = {GL_EYE_LINEAR, GL_OBJECT_LINEAR, GL_SPHERE_MAP, GL_NORMAL_MAP, GL_REFLECTION_MAP};

const GLfloat IDENTITY[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};

bool hasCoord(uint8_t mask, int i) { return (mask >> i) & 1; }

} // namespace

void TexGen::Apply()
{
    // Modes above 4 name no generation mode: nothing to apply.
    if (mode > 4)
        return;
    if (mode <= 1) {
        const GLenum plane = mode == 0 ? GL_EYE_PLANE : GL_OBJECT_PLANE;
        for (int i = 0; i < 4; ++i) {
            if (hasCoord(coordMask, i))
                glTexGenfv(COORDS[i], plane, IDENTITY[i]);
        }
    }
    for (int i = 0; i < 4; ++i) {
        if (hasCoord(coordMask, i))
            glTexGeni(COORDS[i], GL_TEXTURE_GEN_MODE, GEN_MODES[mode]);
    }
}
