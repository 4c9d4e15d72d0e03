#include "support/gl_call_log.h"

#include <GL/gl.h>
#include <cstring>

namespace {

bool logging = false;

std::vector<GlCall>& log()
{
    static std::vector<GlCall> calls;
    return calls;
}

std::vector<GlDrawState>& states()
{
    static std::vector<GlDrawState> logged;
    return logged;
}

uint32_t bits(float f)
{
    uint32_t b;
    std::memcpy(&b, &f, sizeof b);
    return b;
}

void record(uint32_t op, uint32_t a, uint32_t b, uint32_t c)
{
    if (logging)
        log().push_back(GlCall{op, {a, b, c}});
}

} // namespace

bool GlDrawState::operator==(const GlDrawState& o) const
{
    return shadeModel == o.shadeModel && std::memcmp(modelview, o.modelview, sizeof modelview) == 0;
}

void startGlCallLog()
{
    log().clear();
    states().clear();
    logging = true;
}

std::vector<GlCall> stopGlCallLog()
{
    logging = false;
    std::vector<GlCall> calls;
    calls.swap(log());
    return calls;
}

std::vector<GlDrawState> loggedDrawStates()
{
    return states();
}

uint64_t glCallDigest(const std::vector<GlCall>& calls)
{
    uint64_t hash = 14695981039346656037ull;
    for (const GlCall& call : calls) {
        const uint32_t words[4] = {call.op, call.args[0], call.args[1], call.args[2]};
        unsigned char bytes[sizeof words];
        std::memcpy(bytes, words, sizeof words);
        for (unsigned char byte : bytes) {
            hash ^= byte;
            hash *= 1099511628211ull;
        }
    }
    return hash;
}

extern "C" {
void __real_glBegin(GLenum mode);
void __real_glEnd();
void __real_glColor3f(GLfloat r, GLfloat g, GLfloat b);
void __real_glNormal3f(GLfloat x, GLfloat y, GLfloat z);
void __real_glVertex3f(GLfloat x, GLfloat y, GLfloat z);

void __wrap_glBegin(GLenum mode)
{
    if (logging) {
        // Read before glBegin: the GL refuses queries between glBegin and glEnd.
        GlDrawState state{};
        GLint shadeModel = 0;
        glGetIntegerv(GL_SHADE_MODEL, &shadeModel);
        state.shadeModel = shadeModel;
        glGetFloatv(GL_MODELVIEW_MATRIX, state.modelview);
        states().push_back(state);
    }
    record(GL_OP_BEGIN, uint32_t(mode), 0, 0);
    __real_glBegin(mode);
}

void __wrap_glEnd()
{
    record(GL_OP_END, 0, 0, 0);
    __real_glEnd();
}

void __wrap_glColor3f(GLfloat r, GLfloat g, GLfloat b)
{
    record(GL_OP_COLOR3F, bits(r), bits(g), bits(b));
    __real_glColor3f(r, g, b);
}

void __wrap_glNormal3f(GLfloat x, GLfloat y, GLfloat z)
{
    record(GL_OP_NORMAL3F, bits(x), bits(y), bits(z));
    __real_glNormal3f(x, y, z);
}

void __wrap_glVertex3f(GLfloat x, GLfloat y, GLfloat z)
{
    record(GL_OP_VERTEX3F, bits(x), bits(y), bits(z));
    __real_glVertex3f(x, y, z);
}
}
