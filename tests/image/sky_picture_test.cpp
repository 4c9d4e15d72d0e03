// The generated sky picture, written to a file and read back with the reader,
// looked at the way the sky box shows it.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "image/image.h"
#include "sky/sky_picture.h"

namespace {

struct Rgb {
    int r, g, b;
};

// Column and row of faces +X, -X, +Y, -Y, +Z, -Z in the 3 x 2 layout.
const int COLUMN[6] = {0, 1, 2, 0, 1, 2};
const int ROW[6] = {0, 0, 0, 1, 1, 1};

class SkyPicture : public testing::Test {
protected:
    static Image* sky;
    static int faceSize;

    static void SetUpTestSuite()
    {
        const int n = sky::FACE_SIZE;
        const std::string path = testing::TempDir() + "sky_picture_test.tga";
        ASSERT_TRUE(sky::writeTarga(path.c_str(), sky::makePicture(n), 3 * n, 2 * n));
        sky = new Image;
        ASSERT_EQ(sky->Read(path.c_str()), 0);
        remove(path.c_str());
        faceSize = int(sky->width / 3);
    }

    static void TearDownTestSuite()
    {
        delete sky;
        sky = nullptr;
    }

    static Rgb pixel(int column, int row)
    {
        const unsigned char* p = sky->data + (size_t(row) * sky->width + column) * 3;
        return {p[0], p[1], p[2]};
    }

    // The texel the sky box draws in world direction w: its texture coordinate
    // is the vertex with z negated on the X and Y faces and with x negated on
    // the Z faces; GL then picks the face by the major axis.
    static Rgb drawnTexel(double wx, double wy, double wz)
    {
        const bool zFace = std::fabs(wz) > std::fabs(wx) && std::fabs(wz) > std::fabs(wy);
        const double rx = zFace ? -wx : wx, ry = wy, rz = zFace ? wz : -wz;
        const double ax = std::fabs(rx), ay = std::fabs(ry), az = std::fabs(rz);
        int face;
        double sc, tc, ma;
        if (ax >= ay && ax >= az) {
            face = rx > 0 ? 0 : 1;
            sc = rx > 0 ? -rz : rz;
            tc = -ry;
            ma = ax;
        } else if (ay >= az) {
            face = ry > 0 ? 2 : 3;
            sc = rx;
            tc = ry > 0 ? rz : -rz;
            ma = ay;
        } else {
            face = rz > 0 ? 4 : 5;
            sc = rz > 0 ? rx : -rx;
            tc = -ry;
            ma = az;
        }
        const double s = (sc / ma + 1.0) / 2.0, t = (tc / ma + 1.0) / 2.0;
        const int i = std::min(int(s * faceSize), faceSize - 1);
        const int j = std::min(int(t * faceSize), faceSize - 1);
        return pixel(COLUMN[face] * faceSize + i, ROW[face] * faceSize + j);
    }

    static int brightness(Rgb c) { return c.r + c.g + c.b; }
};

Image* SkyPicture::sky = nullptr;
int SkyPicture::faceSize = 0;

int largestChannelDifference(Rgb a, Rgb b)
{
    return std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
}

} // namespace

TEST_F(SkyPicture, IsAThreeByTwoPictureOfSquareRgbFaces)
{
    ASSERT_NE(sky->data, nullptr);
    EXPECT_EQ(sky->depth, 3u);
    EXPECT_EQ(2 * sky->width, 3 * sky->height);
    EXPECT_GE(faceSize, 256);
    EXPECT_EQ(sky->size, sky->width * sky->height * 3);
}

TEST_F(SkyPicture, ReadsBackAsGenerated)
{
    const std::vector<uint8_t> rgb = sky::makePicture(faceSize);
    ASSERT_EQ(rgb.size(), sky->size);
    EXPECT_TRUE(std::equal(rgb.begin(), rgb.end(), sky->data));
}

TEST_F(SkyPicture, SkyAboveIsBrighterAndBluerThanTheGroundBelow)
{
    // Directions on a latitude-longitude grid, 15 degrees apart.
    const double pi = std::acos(-1.0);
    long upBright = 0, upBlue = 0, downBright = 0, downBlue = 0;
    int samples = 0;
    for (int lat = 1; lat <= 5; ++lat) {
        for (int lon = 0; lon < 24; ++lon) {
            const double elevation = lat * pi / 12.0, azimuth = lon * pi / 12.0;
            const double c = std::cos(elevation), y = std::sin(elevation);
            const Rgb up = drawnTexel(c * std::cos(azimuth), y, c * std::sin(azimuth));
            const Rgb down = drawnTexel(c * std::cos(azimuth), -y, c * std::sin(azimuth));
            upBright += brightness(up);
            upBlue += up.b - up.r;
            downBright += brightness(down);
            downBlue += down.b - down.r;
            ++samples;
        }
    }
    EXPECT_GT(upBright, downBright + samples * 100) << "mean brightness above " << upBright / samples
                                                      << ", below " << downBright / samples;
    EXPECT_GT(upBlue, downBlue + samples * 30);
}

TEST_F(SkyPicture, ZenithIsDeeperBlueThanTheHorizon)
{
    const Rgb zenith = drawnTexel(0.01, 1.0, 0.02);
    const Rgb horizon = drawnTexel(1.0, 0.02, 0.3); // away from the sun
    EXPECT_GT(zenith.b - zenith.r, horizon.b - horizon.r + 40);
    EXPECT_LT(brightness(zenith), brightness(horizon));
}

TEST_F(SkyPicture, FacesMeetWithoutSeamsWhereTheSkyBoxJoinsThem)
{
    // Each of the twelve cube edges: axes a and b at +-1, the third axis runs
    // along the edge. The texel just inside face a is compared with the texel
    // just inside face b at the same place along the edge.
    const double inset = 1.0 - 1.0 / faceSize;
    int worst = 0;
    for (int a = 0; a < 3; ++a) {
        for (int b = a + 1; b < 3; ++b) {
            const int along = 3 - a - b;
            for (double sa : {-1.0, 1.0}) {
                for (double sb : {-1.0, 1.0}) {
                    for (int k = 0; k < faceSize; ++k) {
                        const double run = 2.0 * (k + 0.5) / faceSize - 1.0;
                        double onA[3], onB[3];
                        onA[a] = sa;
                        onA[b] = sb * inset;
                        onA[along] = run;
                        onB[a] = sa * inset;
                        onB[b] = sb;
                        onB[along] = run;
                        const int d = largestChannelDifference(drawnTexel(onA[0], onA[1], onA[2]),
                                                               drawnTexel(onB[0], onB[1], onB[2]));
                        worst = std::max(worst, d);
                        ASSERT_LE(d, 12) << "edge of axes " << a << " and " << b << ", signs " << sa
                                         << " " << sb << ", step " << k;
                    }
                }
            }
        }
    }
    // A seam would show as a jump well above the texel-to-texel change.
    RecordProperty("worst_edge_difference", worst);
}

TEST(SkyPictureGenerator, IsDeterministic)
{
    EXPECT_EQ(sky::makePicture(32), sky::makePicture(32));
}
