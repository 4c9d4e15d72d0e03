// The saved state: a restored basin steps on to the original's bits, and bytes
// that describe no valid basin are refused with a reason before anything of the
// basin's size is allocated.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "sim/basin_state.h"
#include "sim/threads.h"

namespace {

using Bytes = std::vector<unsigned char>;

// A basin whose every part of the state differs from a fresh one's.
Basin disturbedBasin()
{
    BasinConfig c;
    c.width = 23;
    c.height = 17;
    c.cellSize = 0.25f;
    c.timestep = 0.05f;
    c.gravity = 9.5;
    c.restHeight = 1.5f;
    c.threads = 2;
    Basin b(c);
    for (int y = 4; y < 9; ++y)
        b.walls[size_t(b.cellIndex(15, y))] = 1;
    b.reset();
    b.colorMode = MODE_ENERGY_PRODUCT;
    b.generator.seed(7);
    for (int k = 0; k < 3; ++k)
        b.randomDrop();
    b.step();
    b.step();
    return b;
}

void put(Bytes& bytes, size_t at, uint64_t value, int width = 4)
{
    for (int k = 0; k < width; ++k)
        bytes[at + size_t(k)] = static_cast<unsigned char>(value >> (8 * k));
}

// Offset of a section's payload.
size_t payloadOf(const Bytes& bytes, const char* tag)
{
    size_t at = 8 + 4 + 32;
    while (at + 12 <= bytes.size()) {
        uint64_t length = 0;
        for (int k = 0; k < 8; ++k)
            length |= uint64_t(bytes[at + 4 + size_t(k)]) << (8 * k);
        if (std::memcmp(&bytes[at], tag, 4) == 0)
            return at + 12;
        at += 12 + size_t(length);
    }
    ADD_FAILURE() << "no section " << tag;
    return 0;
}

std::string refusal(const Bytes& bytes)
{
    try {
        restoreBasinState(bytes.data(), bytes.size());
    } catch (const BasinStateError& e) {
        return e.what();
    }
    return "accepted";
}

TEST(BasinState, RestoredBasinHasTheConfigurationAndStepsOnToTheOriginalsBits)
{
    Basin original = disturbedBasin();
    const Bytes saved = saveBasinState(original);
    Basin copy = restoreBasinState(saved.data(), saved.size());

    EXPECT_EQ(copy.width(), 23);
    EXPECT_EQ(copy.height(), 17);
    EXPECT_EQ(copy.config().cellSize, 0.25f);
    EXPECT_EQ(copy.config().timestep, 0.05f);
    EXPECT_EQ(copy.config().gravity, 9.5);
    EXPECT_EQ(copy.config().restHeight, 1.5f);
    EXPECT_EQ(copy.threads(), 2);
    EXPECT_EQ(copy.colorMode, MODE_ENERGY_PRODUCT);
    EXPECT_EQ(copy.walls, original.walls);
    EXPECT_EQ(copy.scratch, original.scratch);
    EXPECT_EQ(copy.dump(), original.dump());
    EXPECT_EQ(saveBasinState(copy), saved);

    // Gravity, cell size and the generator all act in what follows.
    for (Basin* b : {&original, &copy}) {
        b->randomDrop();
        for (int k = 0; k < 20; ++k)
            b->step();
    }
    EXPECT_EQ(copy.stateHash(), original.stateHash());
}

TEST(BasinState, TheRangesAreSavedModeByModeAsMaxMinScaleAndRestored)
{
    // The layout older states were written in: modes 1 to 6, each max, min, scale.
    Basin b(BasinConfig{});
    for (int mode = MODE_H; mode < MODE_COUNT; ++mode)
        b.ranges[mode] = Range{float(10 * mode), float(10 * mode + 1), float(10 * mode + 2)};
    const Bytes saved = saveBasinState(b);
    const size_t at = payloadOf(saved, "RNGS");
    ASSERT_EQ(at + 4 * 18, payloadOf(saved, "DGEN") - 12);
    for (size_t k = 0; k < 18; ++k) {
        uint32_t bits = 0; // little-endian on every processor
        for (size_t b = 0; b < 4; ++b)
            bits |= uint32_t(saved[at + 4 * k + b]) << (8 * b);
        float value;
        std::memcpy(&value, &bits, 4);
        EXPECT_EQ(value, float(10 * (1 + k / 3) + k % 3)) << "float " << k;
    }
    const Basin copy = restoreBasinState(saved.data(), saved.size());
    for (int mode = MODE_H; mode < MODE_COUNT; ++mode) {
        EXPECT_EQ(copy.ranges[mode].max, float(10 * mode)) << mode;
        EXPECT_EQ(copy.ranges[mode].min, float(10 * mode + 1)) << mode;
        EXPECT_EQ(copy.ranges[mode].scale, float(10 * mode + 2)) << mode;
    }
}

TEST(BasinState, EveryPartOfTheConfigurationTravels)
{
    // One setting changed at a time: the restored basin must differ from one
    // built with the defaults in that setting.
    const auto roundTrip = [](const BasinConfig& c) {
        const Bytes saved = saveBasinState(Basin(c));
        return restoreBasinState(saved.data(), saved.size()).config();
    };
    BasinConfig c;
    c.gravity = 3.25;
    EXPECT_EQ(roundTrip(c).gravity, 3.25);
    c = BasinConfig{};
    c.cellSize = 0.5f;
    EXPECT_EQ(roundTrip(c).cellSize, 0.5f);
    c = BasinConfig{};
    c.threads = 0;
    EXPECT_EQ(roundTrip(c).threads, 0) << "automatic stays automatic";
}

TEST(BasinState, EveryTruncationIsRefused)
{
    const Bytes saved = saveBasinState(Basin(BasinConfig{5, 4}));
    for (size_t size = 0; size < saved.size(); ++size) {
        const Bytes cut(saved.begin(), saved.begin() + long(size));
        EXPECT_NE(refusal(cut), "accepted") << size;
    }
    Bytes longer = saved;
    longer.push_back(0);
    EXPECT_NE(refusal(longer), "accepted");
}

TEST(BasinState, HostileValuesAreRefusedWithTheirReason)
{
    const Bytes saved = saveBasinState(Basin(BasinConfig{8, 8}));
    const size_t config = 12, generator = payloadOf(saved, "DGEN"), mode = payloadOf(saved, "MODE");
    struct Case {
        const char* name;
        size_t at;
        uint64_t value;
        const char* reason;
        int width = 4;
    };
    const Case cases[] = {
        {"magic", 0, 0x41424344u, "mark"},
        {"version", 8, 2, "format version 2"},
        {"width 2", config, 2, "width"},
        {"width past int", config, 0x80000000u, "size"},
        {"too many cells", config, 0x7FFFFFFFu, "too many cells"},
        {"cell size NaN", config + 8, 0x7FC00000u, "cell size"},
        {"time step negative", config + 12, 0xBF800000u, "time step"},
        {"gravity infinite", config + 16, 0x7FF0000000000000u, "gravity", 8},
        {"rest height 0", config + 24, 0u, "rest height"},
        {"threads", config + 28, uint32_t(MAX_THREADS + 1), "threads"},
        {"colour mode 7", mode, 7, "colour mode 7"},
        {"colour mode -1", mode, 0xFFFFFFFFu, "colour mode -1"},
        {"generator front -30", generator + 4 * DropGenerator::WORDS, uint32_t(-30), "generator"},
        {"generator rear 31", generator + 4 * DropGenerator::WORDS + 4, 31, "generator"},
        {"generator not three apart", generator + 4 * DropGenerator::WORDS, 5, "generator"},
        {"unknown section", payloadOf(saved, "WALL") - 12, 0x58585858u, "unknown section 'XXXX'"},
        {"duplicate section", payloadOf(saved, "RNGS") - 12, 0x45444F4Du /* MODE */, "appears twice"},
        {"fields past the end", payloadOf(saved, "FLDS") - 8, 0xFFFFFFFFu, "runs past the end"},
        {"fields short", payloadOf(saved, "FLDS") - 8, 4, "holds 4 bytes, not 2304"},
    };
    for (const Case& c : cases) {
        Bytes bad = saved;
        put(bad, c.at, c.value, c.width);
        const std::string why = refusal(bad);
        EXPECT_NE(why.find(c.reason), std::string::npos) << c.name << ": " << why;
    }
}

TEST(BasinState, AMissingSectionOrAWrongSizedOneIsRefused)
{
    const Bytes saved = saveBasinState(Basin(BasinConfig{6, 5}));
    // Without its last section (the generator): 12 bytes of tag and length, then the payload.
    const size_t generator = payloadOf(saved, "DGEN") - 12;
    const Bytes without(saved.begin(), saved.begin() + long(generator));
    EXPECT_NE(refusal(without).find("'DGEN' is missing"), std::string::npos) << refusal(without);

    // The walls' section claiming one byte fewer, the rest kept consistent.
    Bytes shorter = saved;
    const size_t walls = payloadOf(saved, "WALL");
    put(shorter, walls - 8, 6 * 5 - 1);
    shorter.erase(shorter.begin() + long(walls));
    EXPECT_NE(refusal(shorter).find("holds 29 bytes, not 30"), std::string::npos) << refusal(shorter);
}

TEST(BasinState, AHugeBasinInAFewBytesIsRefusedBeforeItsAllocation)
{
    // 40000 x 40000 cells fit in an int but need 60 GB or so; the bytes hold none.
    Bytes saved = saveBasinState(Basin(BasinConfig{8, 8}));
    put(saved, 12, 40000);
    put(saved, 16, 40000);
    const std::string why = refusal(saved);
    EXPECT_TRUE(why.find("holds") != std::string::npos || why.find("memory") != std::string::npos) << why;
}

} // namespace
