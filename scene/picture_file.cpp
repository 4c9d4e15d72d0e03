#include "scene/picture_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};

} // namespace

std::vector<unsigned char> readPictureFile(const std::string& path, const std::string& what)
{
    const std::string named = "the " + what + " '" + path + "'";
    std::unique_ptr<FILE, FileCloser> in(std::fopen(path.c_str(), "rb"));
    if (!in)
        throw PictureFileError("cannot read " + named + ": " + std::strerror(errno));
    struct stat info;
    if (fstat(fileno(in.get()), &info) != 0)
        throw PictureFileError("cannot read " + named + ": " + std::strerror(errno));
    if (!S_ISREG(info.st_mode))
        throw PictureFileError(named + " is not a regular file");
    if (info.st_size > PICTURE_MAX_FILE_BYTES)
        throw PictureFileError(named + " is larger than " + std::to_string(PICTURE_MAX_FILE_BYTES >> 20) + " MiB");
    std::vector<unsigned char> bytes(size_t(info.st_size));
    if (!bytes.empty() && std::fread(bytes.data(), 1, bytes.size(), in.get()) != bytes.size())
        throw PictureFileError("cannot read " + named);
    return bytes;
}
