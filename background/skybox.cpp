#include "background/skybox.h"

#include <GL/gl.h>
#include <cstdio>
#include <cstdlib>

#include "image/image.h"
#include "image/texture_map.h"

namespace {

const uint32_t SKYBOX_FLAGS = 0x00602490;
const uint8_t SKYBOX_PRIORITY = 10;

// Stopping the texture coordinates just short of the face edges keeps the
// lookup on the face being drawn instead of its neighbour.
const float E = 0.99999f;

struct SkyVertex {
    float s, t, r;
    float x, y, z; // vertex in units of halfSize
};

// Four vertices per face: +X, -X, +Y, -Y, +Z, -Z. The coordinate follows the
// vertex with z (X and Y faces) or x (Z faces) negated, so no face is mirrored.
const SkyVertex SKY_VERTICES[24] = {
    {1, -E, +E, +1, -1, -1},  {1, -E, -E, +1, -1, +1},  {1, +E, -E, +1, +1, +1},  {1, +E, +E, +1, +1, -1},
    {-1, -E, -E, -1, -1, +1}, {-1, -E, +E, -1, -1, -1}, {-1, +E, +E, -1, +1, -1}, {-1, +E, -E, -1, +1, +1},
    {-E, 1, +E, -1, +1, -1},  {+E, 1, +E, +1, +1, -1},  {+E, 1, -E, +1, +1, +1},  {-E, 1, -E, -1, +1, +1},
    {-E, -1, -E, -1, -1, +1}, {+E, -1, -E, +1, -1, +1}, {+E, -1, +E, +1, -1, -1}, {-E, -1, +E, -1, -1, -1},
    {-E, -E, 1, +1, -1, +1},  {+E, -E, 1, -1, -1, +1},  {+E, +E, 1, -1, +1, +1},  {-E, +E, 1, +1, +1, +1},
    {+E, -E, -1, -1, -1, -1}, {-E, -E, -1, +1, -1, -1}, {-E, +E, -1, +1, +1, -1}, {+E, +E, -1, -1, +1, -1},
};

void drawSkyCube(float h)
{
    glBegin(GL_QUADS);
    for (const SkyVertex& v : SKY_VERTICES) {
        glTexCoord3f(v.s, v.t, v.r);
        glVertex3f(v.x * h, v.y * h, v.z * h);
    }
    glEnd();
}

} // namespace

Skybox::Skybox(const std::string& path)
{
    halfSize = 10.0f;
    texture = nullptr;

    Image image;
    if (image.Read(path.c_str()) < 0) {
        fprintf(stderr, "Skybox: Failed to read texture file: %s\n", path.c_str());
        exit(-1);
    }
    texture = new TextureMap();
    // A picture of the wrong shape or depth leaves the sky untextured; Setup says why.
    texture->Setup(SKYBOX_FLAGS, image);

    const GLuint name = texture->id;
    const GLclampf priority = float(SKYBOX_PRIORITY / 255.0);
    glPrioritizeTextures(1, &name, &priority);
    texture->priority = SKYBOX_PRIORITY;
}

void Skybox::Init(Rect*)
{
    glNewList(list, GL_COMPILE);
    glPushAttrib(GL_CURRENT_BIT | GL_POLYGON_BIT | GL_TRANSFORM_BIT | GL_ENABLE_BIT);
    glEnable(texture->Target());
    texture->Bind();
    glDisable(GL_CULL_FACE);
    glFrontFace(GL_CCW);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    drawSkyCube(halfSize);
    glPopAttrib();
    glEndList();
}

void Skybox::Draw() { glCallList(list); }
