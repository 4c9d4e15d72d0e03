#include <GL/glu.h>

#include "render/camera.h"

void Camera::Apply()
{
    offset = eyeOffset();
    gluLookAt(target.x + offset.x, target.y + offset.y, target.z + offset.z,
              target.x, target.y, target.z,
              0.0, 1.0, 0.0);
}
