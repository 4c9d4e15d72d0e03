#include "input/controls.h"

#include <cstdio>
#include <ctime>

#include "app/drops.h"
#include "app/experiment.h"
#include "app/wall_pen.h"

namespace {

void save(const Program& program)
{
    try {
        std::printf("%s\n", saveExperiment(program, ".", std::time(nullptr)).c_str());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "ripplemoor: %s\n", error.what());
    }
}

} // namespace

void pressKey(Program& program, unsigned char key)
{
    Basin& basin = program.basin;
    View& view = program.view;
    switch (key) {
    case '0':
    case '1':
    case '2':
    case '3':
    case '4':
    case '5':
    case '6':
        basin.colorMode = key - '0';
        break;
    case 'b':
        // Equal offsets give equal channels: grey tones.
        view.colorOffsets[0] = 0.0;
        view.colorOffsets[1] = 0.0;
        break;
    case 'c':
        view.colorOffsets[0] = COLOR_OFFSETS_AT_START[0];
        view.colorOffsets[1] = COLOR_OFFSETS_AT_START[1];
        break;
    case 'd':
        basin.randomDrop();
        break;
    case 'h':
        view.overlay = !view.overlay;
        break;
    case 'p':
        view.paused = !view.paused;
        break;
    case 'r':
        // Walls stay, and stay dry.
        basin.reset();
        break;
    case 'w':
        clearWalls(basin);
        break;
    case KEY_SAVE:
        save(program);
        break;
    default:
        // Every other key, upper case included, is ignored.
        break;
    }
}

void pressButton(Program& program, int button, int state, int x, int y, Modifiers modifiers)
{
    View& view = program.view;
    // Any button event ends a zoom and a stroke; only a right press starts a zoom.
    view.zoomDrag = false;
    view.pen.stroke = Stroke::none;
    if (button == BUTTON_RIGHT && state == BUTTON_DOWN) {
        view.zoomDrag = true;
    } else if (button == BUTTON_MIDDLE && state == BUTTON_DOWN) {
        dropAtPointer(program, x, y);
    } else if (button == BUTTON_LEFT && state == BUTTON_DOWN && (modifiers.shift || modifiers.ctrl)) {
        view.pen.stroke = modifiers.shift ? Stroke::paint : Stroke::erase;
        view.pen.placed = false;
        penAtPointer(program, x, y);
    }
}

void dragPointer(Program& program, int x, int y)
{
    View& view = program.view;
    if (view.pen.stroke != Stroke::none)
        penAtPointer(program, x, y);
    else
        dragCamera(view.camera, view.zoomDrag, view.lastMouseX, view.lastMouseY, x, y);
}

bool pressFunctionKey(Program& program, int n)
{
    if (n < 1 || n > FUNCTION_PRESET_COUNT)
        return false;
    try {
        const Scene scene = readScene(FUNCTION_PRESETS[n - 1]);
        loadScene(program, scene, program.basin.config().threads);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "ripplemoor: %s\n", error.what());
        return false;
    }
    return true;
}
