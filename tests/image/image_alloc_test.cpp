// Allocation failures inside the image code. The binary is linked with
// --wrap=malloc,--wrap=calloc so a test can make the next allocations fail.

#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/image/tga_bytes.h"

using testing::internal::CaptureStderr;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStderr;
using testing::internal::GetCapturedStdout;

namespace {
// Allocations still to pass before the next one fails; negative: none fails.
int passBeforeFailure = -1;
int failures = 0;

bool failThisAllocation()
{
    if (passBeforeFailure < 0)
        return false;
    if (passBeforeFailure-- > 0)
        return false;
    ++failures;
    return true;
}

void failAfter(int passing)
{
    passBeforeFailure = passing;
    failures = 0;
}

void stopFailing()
{
    passBeforeFailure = -1;
}
} // namespace

extern "C" {
void* __real_malloc(size_t size);
void* __real_calloc(size_t count, size_t size);

void* __wrap_malloc(size_t size)
{
    return failThisAllocation() ? nullptr : __real_malloc(size);
}

void* __wrap_calloc(size_t count, size_t size)
{
    return failThisAllocation() ? nullptr : __real_calloc(count, size);
}
}

namespace {

struct Outcome {
    int result;
    std::string out;
    std::string err;
};

// Reads with the allocation after `passing` successful ones failing.
Outcome readFailingAfter(Image& image, const Bytes& bytes, int passing)
{
    FILE* stream = streamOf(bytes);
    CaptureStdout();
    CaptureStderr();
    failAfter(passing);
    const int result = image.Read_TARGA(stream);
    stopFailing();
    Outcome o{result, GetCapturedStdout(), GetCapturedStderr()};
    return o;
}

} // namespace

TEST(ReadTargaAllocation, ReadBufferFailureIsReportedAndLeavesAnEmptyImage)
{
    Image image;
    const Outcome o = readFailingAfter(image, tgaBytes({3, 2, 2, 8, 0x20}, {1, 2, 3, 4}), 0);
    EXPECT_EQ(failures, 1);
    EXPECT_EQ(o.out, "Image::Read_TARGA: Cannot malloc image");
    EXPECT_EQ(o.err, "");
    EXPECT_EQ(o.result, -1);
    EXPECT_TRUE(isEmpty(image));
}

TEST(ReadTargaAllocation, PixelBlockFailureIsReportedAndLeavesAnEmptyImage)
{
    for (uint8_t type : {uint8_t(2), uint8_t(10), uint8_t(1)}) {
        SCOPED_TRACE(int(type));
        Image image;
        const Outcome o =
            readFailingAfter(image, tgaBytes({type, 1, 1, 24, 0x20}, {0x00, 1, 2, 3}), 1);
        EXPECT_EQ(failures, 1);
        EXPECT_EQ(o.out, "Image::Read_TARGA: Cannot calloc pixmap");
        EXPECT_EQ(o.result, -1);
        EXPECT_TRUE(isEmpty(image));
    }
}

TEST(ReadTargaAllocation, FailedOrientationFailsTheRead)
{
    // Bottom-left origin needs FlipV's scratch row, allocated after the read
    // buffer and the pixel block; right-to-left needs FlipH's scratch pixel,
    // which for grey comes right after the read buffer.
    Image image;
    Outcome o = readFailingAfter(image, tgaBytes({2, 1, 2, 24, 0x00}, {1, 2, 3, 4, 5, 6}), 2);
    EXPECT_EQ(failures, 1);
    EXPECT_EQ(o.out, "Image::FlipV: Cannot malloc scanline");
    EXPECT_EQ(o.result, -1);
    EXPECT_TRUE(isEmpty(image));

    o = readFailingAfter(image, tgaBytes({3, 2, 1, 8, 0x30}, {1, 2}), 1);
    EXPECT_EQ(failures, 1);
    EXPECT_EQ(o.out, "Image::FlipH: Cannot malloc pixel");
    EXPECT_EQ(o.result, -1);
    EXPECT_TRUE(isEmpty(image));
}

TEST(ImageFlipAllocation, ScratchFailureLeavesPixelsUntouched)
{
    Image image;
    fillCounting(image, 3, 3, 2);
    const Bytes before = pixelsOf(image);

    CaptureStdout();
    failAfter(0);
    image.FlipH();
    stopFailing();
    EXPECT_EQ(GetCapturedStdout(), "Image::FlipH: Cannot malloc pixel");
    EXPECT_EQ(pixelsOf(image), before);

    CaptureStdout();
    failAfter(0);
    image.FlipV();
    stopFailing();
    EXPECT_EQ(GetCapturedStdout(), "Image::FlipV: Cannot malloc scanline");
    EXPECT_EQ(pixelsOf(image), before);
}

TEST(ImageCropAllocation, BlockFailureIsReportedAndLeavesNoBlock)
{
    Image source, face;
    fillCounting(source, 2, 2, 3);
    face.width = 1;
    face.height = 1;
    CaptureStderr();
    failAfter(0);
    Image* result = face.Crop(source, 0, 0);
    stopFailing();
    EXPECT_EQ(GetCapturedStderr(), "Image::Crop: Cannot crop.\n");
    EXPECT_EQ(result, nullptr);
    EXPECT_EQ(face.data, nullptr);
    EXPECT_EQ(face.size, 0u);

    // Nothing is left half-done: the next crop works.
    ASSERT_EQ(face.Crop(source, 1, 1), &face);
    EXPECT_EQ(pixelsOf(face), (Bytes{10, 11, 12}));
}
