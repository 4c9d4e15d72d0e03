#pragma once

// What the keys and the mouse do to the program, GL-free; the GLUT callbacks
// (keyboard.h, mouse.h) hand their events here.

#include "app/program.h"

// GLUT's numbers for the buttons and their states.
constexpr int BUTTON_LEFT = 0, BUTTON_MIDDLE = 1, BUTTON_RIGHT = 2;
constexpr int BUTTON_DOWN = 0, BUTTON_UP = 1;

struct Modifiers {
    bool shift = false;
    bool ctrl = false;
};

// Ctrl+S as the keyboard reports it (ASCII DC3).
constexpr unsigned char KEY_SAVE = 19;

// A key, matched exactly, case included; keys without a command are ignored.
// Esc and the shading keys 'f' and 's' are the window's (input/keyboard.cpp).
// Ctrl+S saves the experiment into the current folder and prints its path.
void pressKey(Program& program, unsigned char key);

// F1 to F5 (n = 1 to 5): the presets of app/experiment.h; a preset that cannot
// be read is reported on standard error and the basin stays. Returns whether
// a scene was loaded.
bool pressFunctionKey(Program& program, int n);

// A button pressed or released at (x, y). Every event ends a zoom and a pen
// stroke; a right press starts a zoom, a middle press drops under the pointer,
// a left press with Shift starts painting walls and with Ctrl rubbing them out.
void pressButton(Program& program, int button, int state, int x, int y, Modifiers modifiers);

// The pointer moved with a button held: the pen during a stroke, else the camera.
void dragPointer(Program& program, int x, int y);
