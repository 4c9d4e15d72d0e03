// Files that lie about themselves: the reader refuses them or reads what is
// there, and never touches memory outside its buffers (the sanitizer build
// turns any stray access into a failure).

#include <gtest/gtest.h>

#include "tests/image/tga_bytes.h"

using testing::internal::CaptureStderr;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStderr;
using testing::internal::GetCapturedStdout;

namespace {

// Refused silently, with the image left empty.
void expectRefused(const Bytes& bytes)
{
    Image image;
    CaptureStdout();
    CaptureStderr();
    const int result = readTga(image, bytes);
    EXPECT_EQ(GetCapturedStdout(), "");
    EXPECT_EQ(GetCapturedStderr(), "");
    EXPECT_EQ(result, -1);
    EXPECT_TRUE(isEmpty(image));
}

} // namespace

TEST(ReadTargaShortFile, HeaderCutShortIsRefused)
{
    const Bytes full = tgaBytes({2, 1, 1, 24, 0x20}, {1, 2, 3});
    for (size_t length : {size_t(0), size_t(1), size_t(12), size_t(17)}) {
        SCOPED_TRACE(length);
        expectRefused(Bytes(full.begin(), full.begin() + long(length)));
    }
}

TEST(ReadTargaShortFile, MissingUncompressedPixelsStayZero)
{
    // 2 x 2 bottom-left: only the file's first row and half a pixel are there.
    Image image;
    ASSERT_EQ(readTga(image, tgaBytes({2, 2, 2, 24, 0x00}, {1, 2, 3, 4, 5, 6, 7})), 0);
    EXPECT_EQ(image.size, 12u);
    EXPECT_EQ(pixelsOf(image), (Bytes{0, 0, 7, 0, 0, 0, 3, 2, 1, 6, 5, 4}));
}

TEST(ReadTargaShortFile, MissingGreyPixelsStayZero)
{
    Image image;
    ASSERT_EQ(readTga(image, tgaBytes({3, 4, 1, 8, 0x20}, {9})), 0);
    EXPECT_EQ(pixelsOf(image), (Bytes{9, 0, 0, 0}));
}

TEST(ReadTargaShortFile, RunLengthStopsWhereTheBytesEnd)
{
    // A raw packet announcing four pixels with one and a half present, then
    // a run header without its value.
    Image raw, run;
    ASSERT_EQ(readTga(raw, tgaBytes({10, 4, 1, 24, 0x20}, {0x03, 1, 2, 3, 4, 5})), 0);
    EXPECT_EQ(pixelsOf(raw), (Bytes{3, 2, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0}));

    ASSERT_EQ(readTga(run, tgaBytes({11, 4, 1, 16, 0x20}, {0x80, 5, 6, 0x82, 7})), 0);
    EXPECT_EQ(pixelsOf(run), (Bytes{5, 6, 0, 0, 0, 0, 0, 0}));
}

TEST(ReadTargaShortFile, NoPixelDataAtAll)
{
    for (uint8_t type : {uint8_t(2), uint8_t(3), uint8_t(10), uint8_t(11)}) {
        SCOPED_TRACE(int(type));
        Image image;
        ASSERT_EQ(readTga(image, tgaBytes({type, 2, 3, 32, 0x00})), 0);
        EXPECT_EQ(pixelsOf(image), Bytes(24, 0));
    }
}

TEST(ReadTargaShortFile, ImageIdLongerThanTheFile)
{
    TgaHeader h{2, 1, 1, 24, 0x20};
    h.idLength = 200;
    Image image;
    ASSERT_EQ(readTga(image, tgaBytes(h, {1, 2, 3})), 0);
    EXPECT_EQ(pixelsOf(image), Bytes(3, 0));
}

TEST(ReadTargaRunLength, RunPastThePixelBlockIsCutAtItsEnd)
{
    // 2 x 1 image: a run of 128 and then a raw packet that has no room left.
    Image run;
    ASSERT_EQ(readTga(run, tgaBytes({10, 2, 1, 24, 0x20}, {0xFF, 1, 2, 3, 0x00, 4, 5, 6})), 0);
    EXPECT_EQ(pixelsOf(run), (Bytes{3, 2, 1, 3, 2, 1}));

    // A raw packet of three pixels for the last two places.
    Image raw;
    ASSERT_EQ(readTga(raw, tgaBytes({11, 3, 1, 8, 0x20}, {0x00, 1, 0x02, 2, 3, 4})), 0);
    EXPECT_EQ(pixelsOf(raw), (Bytes{1, 2, 3}));
}

TEST(ReadTargaRefusals, SizesBeyondThirtyTwoBits)
{
    // 65535 x 65535 x 4 bytes does not fit in 32 bits.
    expectRefused(tgaBytes({2, 65535, 65535, 32, 0x20}, {1, 2, 3, 4}));
    expectRefused(tgaBytes({3, 65535, 65535, 255, 0x20}, {1, 2, 3, 4}));
    // The pixel block (65535 x 65535 x 1) fits, the run-length worst case
    // (twice that) does not.
    expectRefused(tgaBytes({11, 65535, 65535, 8, 0x20}, {0x80, 1}));
    expectRefused(tgaBytes({9, 65535, 65535, 8, 0x20}));
}

TEST(ReadTargaRefusals, PixelsNarrowerThanOneByte)
{
    for (uint8_t bits : {uint8_t(0), uint8_t(1), uint8_t(7)}) {
        SCOPED_TRACE(int(bits));
        expectRefused(tgaBytes({3, 2, 2, bits, 0x20}, {1, 2, 3, 4}));
        expectRefused(tgaBytes({1, 2, 2, bits, 0x20}));
    }
}

TEST(ReadTargaRefusals, ZeroWidthOrHeight)
{
    expectRefused(tgaBytes({2, 0, 4, 24, 0x20}, {1, 2, 3}));
    expectRefused(tgaBytes({10, 4, 0, 24, 0x20}, {0x80, 1, 2, 3}));
    expectRefused(tgaBytes({9, 0, 0, 24, 0x20}));
}

TEST(ReadTargaRefusals, TrueColourWithoutThreeOrFourBytes)
{
    for (uint8_t type : {uint8_t(2), uint8_t(10)}) {
        for (uint8_t bits : {uint8_t(8), uint8_t(15), uint8_t(16), uint8_t(40), uint8_t(255)}) {
            SCOPED_TRACE(testing::Message() << "type " << int(type) << " bits " << int(bits));
            expectRefused(tgaBytes({type, 2, 1, bits, 0x20}, {0x81, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
        }
    }
}

TEST(ReadTargaRefusals, WideGreyPixelsPassThrough)
{
    // Grey has no channel order to apply, so five bytes a pixel are kept as they are.
    Image image;
    ASSERT_EQ(readTga(image, tgaBytes({3, 2, 1, 40, 0x30}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10})), 0);
    EXPECT_EQ(image.depth, 5u);
    EXPECT_EQ(pixelsOf(image), (Bytes{6, 7, 8, 9, 10, 1, 2, 3, 4, 5}));
}

TEST(ReadTargaReuse, ReadingAgainReplacesThePixels)
{
    Image image;
    ASSERT_EQ(readTga(image, tgaBytes({3, 2, 2, 8, 0x20}, {1, 2, 3, 4})), 0);
    ASSERT_EQ(readTga(image, tgaBytes({3, 3, 1, 8, 0x20}, {5, 6, 7})), 0);
    EXPECT_EQ(image.width, 3u);
    EXPECT_EQ(image.height, 1u);
    EXPECT_EQ(pixelsOf(image), (Bytes{5, 6, 7}));
}

TEST(ReadTargaReuse, AFailedReadLeavesAnEmptyImage)
{
    Image image;
    ASSERT_EQ(readTga(image, tgaBytes({3, 2, 2, 8, 0x20}, {1, 2, 3, 4})), 0);
    EXPECT_EQ(readTga(image, tgaBytes({2, 2, 2, 16, 0x20}, {1, 2, 3, 4})), -1);
    EXPECT_TRUE(isEmpty(image));
    // The empty image is safe to flip and to crop from.
    image.FlipH();
    image.FlipV();
    Image face;
    face.width = 1;
    face.height = 1;
    CaptureStderr();
    EXPECT_EQ(face.Crop(image, 0, 0), nullptr);
    EXPECT_EQ(GetCapturedStderr(), "Image::Crop: Cannot crop.\n");
}
