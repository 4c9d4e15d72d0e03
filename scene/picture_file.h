#pragma once

// The bytes of a picture a scene names (a wall mask, a bed map), read with the
// checks every such file needs: a regular file (a FIFO or a device would block
// or never end) of a bounded size.

#include <stdexcept>
#include <string>
#include <vector>

class PictureFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Any compressed picture within the pixel limits fits in far less.
constexpr long PICTURE_MAX_FILE_BYTES = 256L << 20;

// what names the file in messages ("mask", "bed map"); throws PictureFileError.
std::vector<unsigned char> readPictureFile(const std::string& path, const std::string& what);

// Reads the file and decodes it with decode(bytes, size); every failure becomes
// an Error, the decoder's with the file named: "the mask 'FILE': ...".
template <typename Error, typename Decode>
auto readPictureAs(const std::string& path, const std::string& what, Decode decode)
{
    std::vector<unsigned char> bytes;
    try {
        bytes = readPictureFile(path, what);
    } catch (const PictureFileError& e) {
        throw Error(e.what());
    }
    try {
        return decode(bytes.data(), bytes.size());
    } catch (const Error& e) {
        throw Error("the " + what + " '" + path + "': " + e.what());
    }
}
