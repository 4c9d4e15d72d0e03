// Writes our procedural sky picture: make-skybox OUTPUT.tga

#include <cstdio>

#include "sky/sky_picture.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: make-skybox OUTPUT.tga\n");
        return 2;
    }
    const int n = sky::FACE_SIZE;
    if (!sky::writeTarga(argv[1], sky::makePicture(n), 3 * n, 2 * n)) {
        fprintf(stderr, "make-skybox: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
