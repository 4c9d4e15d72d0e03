#pragma once

// A basin's state as bytes and its hash: Basin::dump, Basin::dumpBytes and
// Basin::stateHash are defined in state_dump.cpp.

#include "sim/basin.h"
