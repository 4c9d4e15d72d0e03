#pragma once

// A temporary folder per test, files written into it, and PNG bytes made by hand.

#include <gtest/gtest.h>

#include <png.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

class TempFolder {
public:
    TempFolder()
    {
        const char* dir = std::getenv("TMPDIR");
        std::string pattern = std::string(dir ? dir : "/tmp") + "/ripplemoor-scene-XXXXXX";
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        if (mkdtemp(buffer.data()) == nullptr)
            ADD_FAILURE() << "mkdtemp failed";
        path_ = buffer.data();
    }
    ~TempFolder()
    {
        if (std::system(("rm -rf '" + path_ + "'").c_str()) != 0)
            ADD_FAILURE() << "cannot remove " << path_;
    }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

inline std::string readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void writeBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// A PNG written by libpng's simplified writer in the given format (the linear
// formats take 16-bit samples, stored as given).
inline void writePng(const std::string& path, int width, int height, uint32_t format, const void* pixels)
{
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(width);
    image.height = png_uint_32(height);
    image.format = format;
    ASSERT_TRUE(png_image_write_to_file(&image, path.c_str(), 0, pixels, 0, nullptr)) << image.message;
}

inline void writePng(const std::string& path, int width, int height, uint32_t format,
                     const std::vector<png_byte>& pixels)
{
    writePng(path, width, height, format, pixels.data());
}

inline uint32_t crc32Of(const std::string& bytes)
{
    uint32_t crc = 0xffffffffu;
    for (unsigned char c : bytes) {
        crc ^= c;
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return crc ^ 0xffffffffu;
}

inline std::string bigEndian(uint32_t value)
{
    return {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
}

inline std::string pngChunk(const std::string& type, const std::string& data)
{
    const std::string body = type + data;
    return bigEndian(uint32_t(data.size())) + body + bigEndian(crc32Of(body));
}

// A PNG that claims any size (8-bit grey) in a well-formed header, then holds a
// few bytes of no picture: what a hostile file looks like to a reader.
inline std::string pngClaiming(uint32_t width, uint32_t height)
{
    return std::string("\x89PNG\r\n\x1a\n", 8) +
           pngChunk("IHDR", bigEndian(width) + bigEndian(height) + std::string("\x08\x00\x00\x00\x00", 5)) +
           pngChunk("IDAT", std::string("\x78\x9c\x03\x00", 4)) + pngChunk("IEND", "");
}
