// Mirroring and cropping of pixel blocks.

#include <gtest/gtest.h>

#include "tests/image/tga_bytes.h"

using testing::internal::CaptureStderr;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStderr;
using testing::internal::GetCapturedStdout;

TEST(ImageFlip, FlipHSwapsOuterPixelsAndKeepsTheMiddle)
{
    Image image;
    fillCounting(image, 3, 2, 2);
    image.FlipH();
    EXPECT_EQ(pixelsOf(image), (Bytes{5, 6, 3, 4, 1, 2, 11, 12, 9, 10, 7, 8}));
}

TEST(ImageFlip, FlipHOnEvenWidthReversesEveryPixel)
{
    Image image;
    fillCounting(image, 4, 1, 1);
    image.FlipH();
    EXPECT_EQ(pixelsOf(image), (Bytes{4, 3, 2, 1}));
}

TEST(ImageFlip, FlipVSwapsRowsAndKeepsTheMiddleRow)
{
    Image image;
    fillCounting(image, 2, 3, 1);
    image.FlipV();
    EXPECT_EQ(pixelsOf(image), (Bytes{5, 6, 3, 4, 1, 2}));

    Image even;
    fillCounting(even, 1, 4, 3);
    even.FlipV();
    EXPECT_EQ(pixelsOf(even), (Bytes{10, 11, 12, 7, 8, 9, 4, 5, 6, 1, 2, 3}));
}

TEST(ImageFlip, FlipVOnOneRowAndFlipHOnOneColumnChangeNothing)
{
    Image row, column;
    fillCounting(row, 3, 1, 3);
    fillCounting(column, 1, 3, 3);
    const Bytes rowBefore = pixelsOf(row), columnBefore = pixelsOf(column);
    row.FlipV();
    column.FlipH();
    EXPECT_EQ(pixelsOf(row), rowBefore);
    EXPECT_EQ(pixelsOf(column), columnBefore);
}

TEST(ImageFlip, TwiceIsTheIdentity)
{
    Image image;
    fillCounting(image, 5, 3, 4);
    const Bytes before = pixelsOf(image);
    image.FlipH();
    image.FlipV();
    EXPECT_NE(pixelsOf(image), before);
    image.FlipV();
    image.FlipH();
    EXPECT_EQ(pixelsOf(image), before);
}

TEST(ImageFlip, ImageWithoutPixelsIsLeftAlone)
{
    Image image;
    image.width = 4;
    image.height = 4;
    image.depth = 3;
    CaptureStdout();
    image.FlipH();
    image.FlipV();
    EXPECT_EQ(GetCapturedStdout(), "");
    EXPECT_EQ(image.data, nullptr);
    EXPECT_EQ(image.width, 4u);
    EXPECT_EQ(image.size, 0u);
}

namespace {

struct CropFixture : testing::Test {
    Image source;
    Image face;

    void SetUp() override
    {
        fillCounting(source, 4, 2, 1); // rows {1, 2, 3, 4} and {5, 6, 7, 8}
        face.width = 2;
        face.height = 2;
    }

    // Runs the crop and returns what it wrote to standard error.
    std::string cropReporting(uint32_t x, uint32_t y, Image** result)
    {
        CaptureStderr();
        *result = face.Crop(source, x, y);
        return GetCapturedStderr();
    }
};

} // namespace

using ImageCrop = CropFixture;

TEST_F(ImageCrop, CopiesTheRectangleRowByRow)
{
    Image* result = nullptr;
    EXPECT_EQ(cropReporting(2, 0, &result), "");
    EXPECT_EQ(result, &face);
    EXPECT_EQ(face.depth, 1u);
    EXPECT_EQ(face.size, 4u);
    EXPECT_EQ(pixelsOf(face), (Bytes{3, 4, 7, 8}));
}

TEST_F(ImageCrop, TakesTheDepthOfTheSource)
{
    fillCounting(source, 3, 2, 3);
    face.width = 1;
    face.height = 2;
    ASSERT_EQ(face.Crop(source, 1, 0), &face);
    EXPECT_EQ(face.depth, 3u);
    EXPECT_EQ(pixelsOf(face), (Bytes{4, 5, 6, 13, 14, 15}));
}

TEST_F(ImageCrop, RectangleOutsideTheSourceFailsWithAMessage)
{
    Image* result = &face;
    EXPECT_EQ(cropReporting(3, 0, &result), "Image::Crop: Cannot crop.\n");
    EXPECT_EQ(result, nullptr);
    // The block allocated for the crop stays with the destination.
    EXPECT_NE(face.data, nullptr);
    EXPECT_EQ(face.size, 4u);

    EXPECT_EQ(cropReporting(0, 1, &result), "Image::Crop: Cannot crop.\n");
    EXPECT_EQ(result, nullptr);
}

TEST_F(ImageCrop, OffsetsWhoseSumWrapsAroundAreRefused)
{
    // In 32 bits 0xFFFFFFFF + 2 would be 1, inside the source.
    Image* result = &face;
    EXPECT_EQ(cropReporting(0xFFFFFFFFu, 0, &result), "Image::Crop: Cannot crop.\n");
    EXPECT_EQ(result, nullptr);
    EXPECT_EQ(cropReporting(0, 0xFFFFFFFFu, &result), "Image::Crop: Cannot crop.\n");
    EXPECT_EQ(result, nullptr);
}

TEST_F(ImageCrop, ReusesTheBlockOfAnEarlierCropOfTheSameSize)
{
    ASSERT_EQ(face.Crop(source, 0, 0), &face);
    const unsigned char* block = face.data;
    EXPECT_EQ(pixelsOf(face), (Bytes{1, 2, 5, 6}));
    ASSERT_EQ(face.Crop(source, 1, 0), &face);
    EXPECT_EQ(face.data, block);
    EXPECT_EQ(pixelsOf(face), (Bytes{2, 3, 6, 7}));
}

TEST_F(ImageCrop, ABlockTooSmallForTheNewSizeIsReplaced)
{
    face.width = 1;
    face.height = 1;
    ASSERT_EQ(face.Crop(source, 0, 0), &face);
    face.width = 4;
    face.height = 2;
    ASSERT_EQ(face.Crop(source, 0, 0), &face);
    EXPECT_EQ(face.size, 8u);
    EXPECT_EQ(pixelsOf(face), pixelsOf(source));
}

TEST_F(ImageCrop, SourceWithoutPixelsOrEmptyRectangleFails)
{
    Image empty;
    empty.width = 4;
    empty.height = 2;
    empty.depth = 1;
    CaptureStderr();
    EXPECT_EQ(face.Crop(empty, 0, 0), nullptr);
    EXPECT_EQ(GetCapturedStderr(), "Image::Crop: Cannot crop.\n");

    Image none;
    none.width = 0;
    none.height = 2;
    CaptureStderr();
    EXPECT_EQ(none.Crop(source, 0, 0), nullptr);
    EXPECT_EQ(GetCapturedStderr(), "Image::Crop: Cannot crop.\n");
    EXPECT_EQ(none.data, nullptr);
    EXPECT_EQ(none.size, 0u);
}

TEST_F(ImageCrop, SizeBeyondThirtyTwoBitsFails)
{
    fillCounting(source, 1, 1, 4);
    face.width = 65536;
    face.height = 65536;
    CaptureStderr();
    EXPECT_EQ(face.Crop(source, 0, 0), nullptr);
    EXPECT_EQ(GetCapturedStderr(), "Image::Crop: Cannot crop.\n");
    EXPECT_EQ(face.data, nullptr);
    EXPECT_EQ(face.size, 0u);
}
