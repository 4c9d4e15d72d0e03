#pragma once

#include <string>
#include <vector>

#include "support/gl_call_log.h"

// The surface as it was sent before its attributes were built in one pass:
// setVertexColor and the normal functions, one vertex at a time in the middle of
// the GL calls. The reference for the calls the strips make now.
void drawSurfacePerVertex();

// The calls of one draw.
std::vector<GlCall> loggedCalls(void (*draw)());

// Call for call, with the first difference named.
void expectSameCalls(const std::vector<GlCall>& got, const std::vector<GlCall>& want, const std::string& frame);

// 158 strips of 320 vertices, each with a colour, all but the opening pairs with a normal.
void expectStripShape(const std::vector<GlCall>& calls);
