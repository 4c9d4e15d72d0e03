// Decoding of the TGA types and orientations the reader supports.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>

#include "tests/image/tga_bytes.h"

using testing::internal::CaptureStderr;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStderr;
using testing::internal::GetCapturedStdout;

namespace {

// 2 x 2 true colour, file order: pixels (B, G, R) 1..4 with distinct bytes.
Bytes twoByTwo(uint8_t descriptor)
{
    return tgaBytes({2, 2, 2, 24, descriptor},
                    {10, 11, 12, 20, 21, 22,    // first row in the file
                     30, 31, 32, 40, 41, 42});  // second row in the file
}

} // namespace

TEST(ReadTargaOrientation, BottomLeftOriginPutsTheFilesSecondRowFirst)
{
    Image image;
    ASSERT_EQ(readTga(image, twoByTwo(0x00)), 0);
    EXPECT_EQ(image.width, 2u);
    EXPECT_EQ(image.height, 2u);
    EXPECT_EQ(image.depth, 3u);
    EXPECT_EQ(image.size, 12u);
    EXPECT_EQ(pixelsOf(image), (Bytes{32, 31, 30, 42, 41, 40, 12, 11, 10, 22, 21, 20}));
}

TEST(ReadTargaOrientation, TopLeftOriginKeepsFileOrder)
{
    Image image;
    ASSERT_EQ(readTga(image, twoByTwo(0x20)), 0);
    EXPECT_EQ(pixelsOf(image), (Bytes{12, 11, 10, 22, 21, 20, 32, 31, 30, 42, 41, 40}));
}

TEST(ReadTargaOrientation, TopRightOriginMirrorsEachRow)
{
    Image image;
    ASSERT_EQ(readTga(image, twoByTwo(0x30)), 0);
    EXPECT_EQ(pixelsOf(image), (Bytes{22, 21, 20, 12, 11, 10, 42, 41, 40, 32, 31, 30}));
}

TEST(ReadTargaOrientation, BottomRightOriginTurnsThePictureHalfRound)
{
    Image image;
    ASSERT_EQ(readTga(image, twoByTwo(0x10)), 0);
    EXPECT_EQ(pixelsOf(image), (Bytes{42, 41, 40, 32, 31, 30, 22, 21, 20, 12, 11, 10}));
}

TEST(ReadTargaOrientation, DescriptorBitsOutsideFourAndFiveAreIgnored)
{
    Image plain, noisy;
    ASSERT_EQ(readTga(plain, twoByTwo(0x20)), 0);
    ASSERT_EQ(readTga(noisy, twoByTwo(0x20 | 0xCF)), 0);
    EXPECT_EQ(pixelsOf(noisy), pixelsOf(plain));
}

TEST(ReadTargaUncompressed, ThirtyTwoBitPixelsKeepAlphaLast)
{
    Image image;
    ASSERT_EQ(readTga(image, tgaBytes({2, 2, 1, 32, 0x20}, {1, 2, 3, 4, 5, 6, 7, 8})), 0);
    EXPECT_EQ(image.depth, 4u);
    EXPECT_EQ(pixelsOf(image), (Bytes{3, 2, 1, 4, 7, 6, 5, 8}));
}

TEST(ReadTargaUncompressed, GreyBytesPassThroughForAnyDepth)
{
    Image grey, greyAlpha;
    ASSERT_EQ(readTga(grey, tgaBytes({3, 3, 1, 8, 0x20}, {7, 8, 9})), 0);
    EXPECT_EQ(grey.depth, 1u);
    EXPECT_EQ(pixelsOf(grey), (Bytes{7, 8, 9}));

    ASSERT_EQ(readTga(greyAlpha, tgaBytes({3, 2, 1, 16, 0x20}, {1, 2, 3, 4})), 0);
    EXPECT_EQ(greyAlpha.depth, 2u);
    EXPECT_EQ(pixelsOf(greyAlpha), (Bytes{1, 2, 3, 4}));
}

TEST(ReadTargaUncompressed, FifteenBitsPerPixelGiveDepthOne)
{
    Image image;
    ASSERT_EQ(readTga(image, tgaBytes({3, 2, 1, 15, 0x20}, {5, 6})), 0);
    EXPECT_EQ(image.depth, 1u);
    EXPECT_EQ(image.size, 2u);
    EXPECT_EQ(pixelsOf(image), (Bytes{5, 6}));
}

TEST(ReadTargaUncompressed, ImageIdIsSkippedAndTrailingBytesIgnored)
{
    TgaHeader h{2, 1, 1, 24, 0x20};
    h.idLength = 3;
    Image image;
    ASSERT_EQ(readTga(image, tgaBytes(h, {99, 98, 97, 1, 2, 3, 55, 56, 57, 58})), 0);
    EXPECT_EQ(pixelsOf(image), (Bytes{3, 2, 1}));
}

TEST(ReadTargaRunLength, RunPacketRepeatsOnePixel)
{
    Image image;
    ASSERT_EQ(readTga(image, tgaBytes({10, 2, 2, 24, 0x20}, {0x83, 1, 2, 3})), 0);
    EXPECT_EQ(pixelsOf(image), (Bytes{3, 2, 1, 3, 2, 1, 3, 2, 1, 3, 2, 1}));
}

TEST(ReadTargaRunLength, RawPacketWritesPixelsInOrder)
{
    Image image;
    ASSERT_EQ(readTga(image, tgaBytes({10, 2, 2, 24, 0x20},
                                      {0x03, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12})),
              0);
    EXPECT_EQ(pixelsOf(image), (Bytes{3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10}));
}

TEST(ReadTargaRunLength, PacketsCrossRowsAndMixWithAlpha)
{
    // 3 x 2, 32-bit: a run of 4 spans the row end, then a raw packet of 2.
    Image image;
    ASSERT_EQ(readTga(image, tgaBytes({10, 3, 2, 32, 0x20},
                                      {0x83, 1, 2, 3, 4, 0x01, 5, 6, 7, 8, 9, 10, 11, 12})),
              0);
    EXPECT_EQ(pixelsOf(image), (Bytes{3, 2, 1, 4, 3, 2, 1, 4, 3, 2, 1, 4,
                                      3, 2, 1, 4, 7, 6, 5, 8, 11, 10, 9, 12}));
}

TEST(ReadTargaRunLength, BottomLeftOriginAppliesAfterDecoding)
{
    // 1 x 2: the first decoded pixel is the bottom row.
    Image image;
    ASSERT_EQ(readTga(image, tgaBytes({10, 1, 2, 24, 0x00}, {0x00, 1, 2, 3, 0x00, 4, 5, 6})), 0);
    EXPECT_EQ(pixelsOf(image), (Bytes{6, 5, 4, 3, 2, 1}));
}

TEST(ReadTargaRunLength, GreySixteenBitKeepsBothBytes)
{
    Image image;
    ASSERT_EQ(readTga(image, tgaBytes({11, 3, 1, 16, 0x20}, {0x81, 9, 200, 0x00, 7, 100})), 0);
    EXPECT_EQ(image.depth, 2u);
    EXPECT_EQ(pixelsOf(image), (Bytes{9, 200, 9, 200, 7, 100}));
}

TEST(ReadTargaRunLength, GreyWiderThanTwoBytesKeepsOnlyTheFirst)
{
    // Type 11 copies byte 0 (and byte 1 only for depth 2); the rest stays zero.
    Image image;
    ASSERT_EQ(readTga(image, tgaBytes({11, 2, 1, 24, 0x20}, {0x01, 1, 2, 3, 4, 5, 6})), 0);
    EXPECT_EQ(pixelsOf(image), (Bytes{1, 0, 0, 4, 0, 0}));
}

TEST(ReadTargaTypes, ColourMappedFileIsRefusedSilently)
{
    TgaHeader h{1, 2, 2, 8, 0x20};
    h.colourMapType = 1;
    Image image;
    CaptureStdout();
    CaptureStderr();
    const int result = readTga(image, tgaBytes(h, {1, 2, 3, 4}));
    EXPECT_EQ(GetCapturedStdout(), "");
    EXPECT_EQ(GetCapturedStderr(), "");
    EXPECT_EQ(result, -1);
    EXPECT_TRUE(isEmpty(image));
}

// Read from a file, the file and the reason are named on standard error.
TEST(ReadTargaTypes, UndecodedTypesGiveAnAllZeroImageOfTheHeaderSizeAndSaySo)
{
    const std::pair<uint8_t, std::string> types[] = {{1, "colour-mapped"},
                                                     {9, "colour-mapped, run-length encoded"},
                                                     {0, "no image data"},
                                                     {32, "colour-mapped, Huffman coded"},
                                                     {4, "not a TGA image type"}};
    const std::string path = testing::TempDir() + "undecoded.tga";
    for (const auto& [type, kind] : types) {
        SCOPED_TRACE(int(type));
        const Bytes bytes = tgaBytes({type, 3, 2, 24, 0x00}, {0x83, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
        Image image;
        ASSERT_EQ(readTga(image, bytes), 0);
        EXPECT_EQ(image.width, 3u);
        EXPECT_EQ(image.height, 2u);
        EXPECT_EQ(image.depth, 3u);
        EXPECT_EQ(pixelsOf(image), Bytes(18, 0));

        FILE* file = fopen(path.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        fwrite(bytes.data(), 1, bytes.size(), file);
        fclose(file);
        Image named;
        CaptureStderr();
        const int result = named.Read(path.c_str());
        EXPECT_EQ(GetCapturedStderr(), "Image::Read: " + path + ": TGA image type " + std::to_string(type) + " (" +
                                           kind + ") is not decoded; the picture reads as all zero\n");
        EXPECT_EQ(result, 0);
        EXPECT_EQ(pixelsOf(named), Bytes(18, 0));
    }
    std::remove(path.c_str());

    // The decoded types say nothing.
    for (uint8_t type : {uint8_t(2), uint8_t(3), uint8_t(10), uint8_t(11)}) {
        FILE* file = fopen(path.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        const Bytes bytes = tgaBytes({type, 1, 1, 24, 0x00}, {0x80, 1, 2, 3});
        fwrite(bytes.data(), 1, bytes.size(), file);
        fclose(file);
        Image image;
        CaptureStderr();
        EXPECT_EQ(image.Read(path.c_str()), 0) << int(type);
        EXPECT_EQ(GetCapturedStderr(), "") << int(type);
    }
    std::remove(path.c_str());
}

TEST(ReadTargaHeader, SizesAreLittleEndianOnEveryProcessor)
{
    // Both bytes of each size differ, and swapping them would swap the sizes.
    Bytes bytes = tgaBytes({3, 0x0102, 0x0201, 8, 0x20});
    for (int k = 0; k < 259; ++k)
        bytes.push_back(uint8_t(k + 1));
    Image image;
    ASSERT_EQ(readTga(image, bytes), 0);
    EXPECT_EQ(image.width, 258u);
    EXPECT_EQ(image.height, 513u);
    EXPECT_EQ(image.size, 258u * 513u);
    EXPECT_EQ(image.data[257], uint8_t(258));
    EXPECT_EQ(image.data[258], uint8_t(259)) << "the second row starts after 258 pixels";
    EXPECT_EQ(image.data[259], 0) << "missing pixels stay zero";
}

TEST(ReadTargaStreams, NoStreamFailsAndLeavesTheImageAlone)
{
    Image image;
    EXPECT_EQ(image.Read_TARGA(nullptr), -1);
    EXPECT_TRUE(isEmpty(image));
}

TEST(ReadFile, MissingFileIsReportedOnStandardError)
{
    const std::string name = testing::TempDir() + "no_such_picture.tga";
    Image image;
    CaptureStdout();
    CaptureStderr();
    const int result = image.Read(name.c_str());
    EXPECT_EQ(GetCapturedStdout(), "");
    EXPECT_EQ(GetCapturedStderr(), "Image::Read: Failed to open Image file: " + name + "\n");
    EXPECT_EQ(result, -1);
    EXPECT_TRUE(isEmpty(image));
}

TEST(ReadFile, ReadsAFileByName)
{
    const std::string name = testing::TempDir() + "read_file_test.tga";
    const Bytes bytes = twoByTwo(0x20);
    FILE* f = fopen(name.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);

    Image image;
    EXPECT_EQ(image.Read(name.c_str()), 0);
    EXPECT_EQ(pixelsOf(image), (Bytes{12, 11, 10, 22, 21, 20, 32, 31, 30, 42, 41, 40}));
    remove(name.c_str());
}
