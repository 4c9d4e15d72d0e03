#include "background/background.h"

#include <GL/gl.h>
#include <cstdio>

Background::Background()
{
    list = glGenLists(1);
    if (list == 0)
        printf("Background: glGenLists error");
}

Background::~Background() { glDeleteLists(list, 1); }

void Background::Init(Rect*) {}
