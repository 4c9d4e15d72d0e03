// The vector kernel reads and writes only within its arrays, at the narrowest
// width it is given: every array ends where an inaccessible page begins, so a
// block that does not fit its row faults here instead of reading a neighbour's
// memory unseen.

#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "sim/advect.h"
#include "sim/stages.h"
#include "simd/targets.h"

namespace {

using namespace ripplemoor;

// count floats that start or end exactly at an inaccessible page.
class GuardedFloats {
public:
    enum Place { AFTER_A_GUARD, BEFORE_A_GUARD };
    GuardedFloats(size_t count, Place place) : count_(count)
    {
        const size_t page = size_t(sysconf(_SC_PAGE_SIZE));
        const size_t bytes = (count * sizeof(float) + page - 1) / page * page;
        size_ = bytes + 2 * page;
        void* base = mmap(nullptr, size_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (base == MAP_FAILED)
            throw std::runtime_error("mmap failed");
        base_ = static_cast<unsigned char*>(base);
        if (mprotect(base_, page, PROT_NONE) != 0 || mprotect(base_ + page + bytes, page, PROT_NONE) != 0)
            throw std::runtime_error("mprotect failed");
        data_ = place == AFTER_A_GUARD ? reinterpret_cast<float*>(base_ + page)
                                       : reinterpret_cast<float*>(base_ + page + bytes) - count;
    }
    ~GuardedFloats() { munmap(base_, size_); }
    GuardedFloats(const GuardedFloats&) = delete;
    GuardedFloats& operator=(const GuardedFloats&) = delete;
    float* data() const { return data_; }
    // The bits, so that -0 and +0 differ.
    std::vector<uint32_t> bits() const
    {
        std::vector<uint32_t> out(count_);
        std::memcpy(out.data(), data_, count_ * sizeof(float));
        return out;
    }

private:
    size_t count_;
    unsigned char* base_ = nullptr;
    size_t size_ = 0;
    float* data_ = nullptr;
};

// A basin's arrays, each against a guard page, filled with a disturbed state.
struct GuardedBasin {
    static constexpr int FIELDS = 10;
    GuardedBasin(int width, int height, GuardedFloats::Place place) : extent{width, height, 1, height - 1}
    {
        const size_t cells = size_t(width) * size_t(height);
        for (auto& f : fields)
            f = std::make_unique<GuardedFloats>(cells, place);
        for (size_t i = 0; i < cells; ++i) {
            h()[i] = 1.0f + 0.01f * float(i % 7);
            u()[i] = 0.3f - 0.05f * float(i % 5);
            v()[i] = -0.2f + 0.03f * float(i % 11);
            solid()[i] = i % 13 == 4 ? 1.0f : 0.0f;
            for (int k = 4; k < FIELDS; ++k)
                fields[k]->data()[i] = 0.0f;
        }
    }
    float* h() { return fields[0]->data(); }
    float* u() { return fields[1]->data(); }
    float* v() { return fields[2]->data(); }
    float* solid() { return fields[3]->data(); }
    float* field(int k) { return fields[size_t(k)]->data(); }

    // Every stage of one path: the three advections' samples, the height update
    // in every mode, the velocity update; with walls or without.
    template <typename Path>
    std::vector<std::vector<uint32_t>> run(const Path& path, bool walls)
    {
        const float* wallMask = walls ? solid() : nullptr;
        for (int kind : {ADVECT_H, ADVECT_U, ADVECT_V}) {
            const AdvectArrays a{h(), field(4), u(), v(), kind == ADVECT_H ? wallMask : nullptr, 0.0625f, 3.2f, extent};
            path.sample(a, kind);
        }
        for (int mode = 0; mode < MODE_COUNT; ++mode) {
            const float* shown[MODE_COUNT] = {nullptr, h(), field(5), field(6), field(7), field(8), field(9)};
            const HeightArrays a{h(), field(5), field(6), field(7), field(8), field(9), u(), v(),
                                 shown[mode], wallMask, 0.0625f, 3.2f, extent};
            float max = 0.0f, min = 0.0f;
            path.height(a, mode, max, min);
        }
        const VelocityArrays a{u(), v(), h(), -2.0, extent};
        path.velocity(a);
        std::vector<std::vector<uint32_t>> result;
        for (auto& f : fields)
            result.push_back(f->bits());
        return result;
    }

    Extent extent;
    std::unique_ptr<GuardedFloats> fields[FIELDS];
};

struct KernelPath {
    void sample(const AdvectArrays& a, int kind) const { kernel::sampleDepartures(a, kind); }
    void height(const HeightArrays& a, int mode, float& max, float& min) const
    {
        kernel::updateHeightInterior(a, mode, max, min);
    }
    void velocity(const VelocityArrays& a) const { kernel::updateVelocities(a); }
};

struct PortablePath {
    void sample(const AdvectArrays& a, int kind) const { portable::sampleDepartures(a, kind); }
    void height(const HeightArrays& a, int mode, float& max, float& min) const
    {
        portable::updateHeightInterior(a, mode, max, min);
    }
    void velocity(const VelocityArrays& a) const { portable::updateVelocities(a); }
};

class KernelBounds : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override { ASSERT_TRUE(simd::useTarget(GetParam())); }
    void TearDown() override { simd::useDefaultTarget(); }
};

// The narrowest width the kernel accepts, a few heights, the arrays against a
// guard page on either side: the kernel gives the portable loops' bits and
// touches nothing outside (a stray access faults).
TEST_P(KernelBounds, TheNarrowestAcceptedBasinStaysWithinItsArrays)
{
    int width = 3;
    while (!kernel::fitsWidth(width))
        ++width;
    for (int height : {3, 4, 9}) {
        for (GuardedFloats::Place place : {GuardedFloats::AFTER_A_GUARD, GuardedFloats::BEFORE_A_GUARD}) {
            for (bool walls : {false, true}) {
                GuardedBasin vector(width, height, place), loops(width, height, place);
                EXPECT_TRUE(vector.run(KernelPath{}, walls) == loops.run(PortablePath{}, walls))
                    << width << " x " << height << (walls ? " with walls" : "")
                    << (place == GuardedFloats::AFTER_A_GUARD ? ", arrays after a guard" : ", arrays before a guard");
            }
        }
    }
}

std::vector<std::string> kernelTargets()
{
    std::vector<std::string> names;
    for (const std::string& name : simd::targetNames())
        if (name != "portable")
            names.push_back(name);
    return names;
}

INSTANTIATE_TEST_SUITE_P(Targets, KernelBounds, ::testing::ValuesIn(kernelTargets()),
                         [](const auto& info) { return info.param; });

} // namespace
