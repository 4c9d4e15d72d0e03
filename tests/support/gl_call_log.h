#pragma once

#include <cstdint>
#include <vector>

// The vertex calls a test binary makes, logged on their way into the GL. The
// binary is linked with --wrap for glBegin, glEnd, glColor3f, glNormal3f and
// glVertex3f, so the program's own code calls the wrappers, which log the call
// with its arguments' exact bits and then hand it to the real entry point.
struct GlCall {
    uint32_t op; // the GlOp
    uint32_t args[3];

    bool operator==(const GlCall& o) const
    {
        return op == o.op && args[0] == o.args[0] && args[1] == o.args[1] && args[2] == o.args[2];
    }
};

enum GlOp : uint32_t { GL_OP_BEGIN = 1, GL_OP_END, GL_OP_COLOR3F, GL_OP_NORMAL3F, GL_OP_VERTEX3F };

// The state that shapes what a strip's vertices become on the screen, which the
// calls themselves do not carry: the shade model and the modelview matrix (the
// camera), read as each logged glBegin is called.
struct GlDrawState {
    int32_t shadeModel;
    float modelview[16];

    bool operator==(const GlDrawState& o) const;
};

// Starts a fresh log; calls are logged until stopGlCallLog.
void startGlCallLog();
std::vector<GlCall> stopGlCallLog();
// The states at the glBegins of the last log, one per glBegin.
std::vector<GlDrawState> loggedDrawStates();

// FNV-1a over the calls' bytes.
uint64_t glCallDigest(const std::vector<GlCall>& calls);
