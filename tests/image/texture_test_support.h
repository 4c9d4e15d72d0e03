#pragma once

// Helpers shared by the texture-map tests: hand-built images, GL read-back and
// captured console output.

#include <GL/gl.h>
#include <GL/glext.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "image/image.h"

// A byte pattern with no period short enough to hide a shifted row.
inline unsigned char patternByte(size_t i) { return (unsigned char)((i * 37 + i / 251 + 11) % 251); }

// Fills image with a fresh block of width * height * depth pattern bytes.
inline void makeImage(Image& image, uint32_t width, uint32_t height, uint32_t depth)
{
    free(image.data);
    image.width = width;
    image.height = height;
    image.depth = depth;
    image.size = width * height * depth;
    image.data = static_cast<unsigned char*>(malloc(image.size == 0 ? 1 : image.size));
    for (uint32_t i = 0; i < image.size; ++i)
        image.data[i] = patternByte(i);
}

inline std::vector<unsigned char> pixelsOf(const Image& image)
{
    return std::vector<unsigned char>(image.data, image.data + image.size);
}

// Copy of the rectangle (x, y, w, h) of image, rows top first.
inline std::vector<unsigned char> rectOf(const Image& image, uint32_t x, uint32_t y, uint32_t w, uint32_t h)
{
    std::vector<unsigned char> out;
    for (uint32_t r = 0; r < h; ++r) {
        const unsigned char* row = image.data + (size_t(y + r) * image.width + x) * image.depth;
        out.insert(out.end(), row, row + size_t(w) * image.depth);
    }
    return out;
}

inline GLint levelParameter(GLenum target, GLint level, GLenum pname)
{
    GLint value = 0;
    glGetTexLevelParameteriv(target, level, pname, &value);
    return value;
}

inline GLint textureParameter(GLenum target, GLenum pname)
{
    GLint value = 0;
    glGetTexParameteriv(target, pname, &value);
    return value;
}

// Level 0 of the texture image bound at target (or a cube face), tightly packed.
inline std::vector<unsigned char> readTexture(GLenum target, GLenum format, int bytesPerPixel)
{
    const GLint w = levelParameter(target, 0, GL_TEXTURE_WIDTH);
    const GLint h = target == GL_TEXTURE_1D ? 1 : levelParameter(target, 0, GL_TEXTURE_HEIGHT);
    std::vector<unsigned char> out(size_t(w) * h * bytesPerPixel);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    if (!out.empty())
        glGetTexImage(target, 0, format, GL_UNSIGNED_BYTE, out.data());
    return out;
}

inline bool hasExtension(const char* name)
{
    const char* all = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    return all != nullptr && strstr(all, name) != nullptr;
}

// Clears pending GL errors so a test sees only its own.
inline void drainGlErrors()
{
    while (glGetError() != GL_NO_ERROR) {
    }
}

struct Captured {
    std::string out;
    std::string err;
};

inline Captured captureOutput(const std::function<void()>& body)
{
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    body();
    fflush(stdout);
    fflush(stderr);
    Captured c;
    c.out = testing::internal::GetCapturedStdout();
    c.err = testing::internal::GetCapturedStderr();
    return c;
}

inline uint32_t flagField(uint32_t word, uint32_t mask, uint32_t shift) { return (word & mask) >> shift; }
