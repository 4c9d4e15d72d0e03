// The help and status overlay's text follows the program's state.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/overlay.h"

namespace {

std::string joined(const Program& p)
{
    std::string all;
    for (const std::string& line : overlayLines(p))
        all += line + "\n";
    return all;
}

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

} // namespace

TEST(OverlayLines, ShowSizeThreadsRateModePauseAndPen)
{
    Program p;
    BasinConfig config;
    config.width = 400;
    config.height = 120;
    config.threads = 2;
    startProgram(p, config, 1);
    p.view.stepRate.perSecond = 87.4;
    std::string text = joined(p);
    EXPECT_TRUE(has(text, "Basin 400 x 120, 2 threads, 87 steps/s\n")) << text;
    EXPECT_TRUE(has(text, "Colour mode 0: plain water colour\n")) << text;
    EXPECT_TRUE(has(text, "Pen: 5 cells wide")) << text;
    for (const char* key : {"h this help", "p pause", "w clear walls", "r water to rest", "Shift+left drag",
                            "Ctrl+left drag", "0-6 colour mode"})
        EXPECT_TRUE(has(text, key)) << key;

    p.basin.colorMode = MODE_SPEED_SQ;
    p.view.colorOffsets[0] = p.view.colorOffsets[1] = 0.0;
    p.view.paused = true;
    p.view.pen.radius = 4;
    text = joined(p);
    EXPECT_TRUE(has(text, "0 steps/s (paused: p to run)\n")) << text;
    EXPECT_TRUE(has(text, "Colour mode 4: squared speed of the flow, in grey tones\n")) << text;
    EXPECT_TRUE(has(text, "Pen: 9 cells wide")) << text;

    // A mode no key sets shows the plain colour, as the surface does.
    p.basin.colorMode = 42;
    EXPECT_TRUE(has(joined(p), "Colour mode 42: plain water colour")) << joined(p);

    startProgram(p, BasinConfig{}, 1);
    EXPECT_TRUE(has(joined(p), "Basin 160 x 160, 1 thread,")) << joined(p);
}

TEST(OverlayLines, EveryLineFitsTheDefaultWindow)
{
    Program p;
    p.view.paused = true;
    p.basin.colorMode = MODE_HEIGHT_CHANGE;
    // 9-pixel glyphs from an 8-pixel margin in a 640-pixel window.
    for (const std::string& line : overlayLines(p))
        EXPECT_LE(line.size(), size_t((640 - 16) / 9)) << line;
}
