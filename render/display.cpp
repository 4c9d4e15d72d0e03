#include "render/display.h"

#include <GL/glu.h>
#include <GL/glut.h>

#include "background/background.h"
#include "render/camera.h"
#include "render/fps.h"
#include "render/overlay.h"
#include "render/surface.h"
#include "render/wall_blocks.h"

namespace {

// Camera orientation without its translation, so the sky stays around the viewer.
// Drawn without depth testing it stays behind everything that follows.
void drawSky(const View& view)
{
    const Camera& camera = view.camera;
    glDisable(GL_DEPTH_TEST);
    glPushMatrix();
    gluLookAt(0.0, 0.0, 0.0,
              -camera.offset.x, -camera.offset.y, -camera.offset.z,
              0.0, 1.0, 0.0);
    if (view.skybox != nullptr)
        view.skybox->Draw();
    glPopMatrix();
    glEnable(GL_DEPTH_TEST);
}

// From the eye, with its height doubled; w stays 0, so it is a direction given in
// eye coordinates (the modelview matrix is still the identity here).
void placeLight(View& view)
{
    const Camera& camera = view.camera;
    float* lightPosition = view.lightPosition;
    lightPosition[0] = float(camera.target.x + camera.offset.x);
    lightPosition[1] = float((camera.target.y + camera.offset.y) * 2.0);
    lightPosition[2] = float(camera.target.z + camera.offset.z);
    glLightfv(GL_LIGHT0, GL_POSITION, lightPosition);
}

void drawMarkerSphere(const View& view)
{
    const double* spherePosition = view.spherePosition;
    glPushMatrix();
    glTranslatef(float(spherePosition[0]), float(spherePosition[1]), float(spherePosition[2]));
    glutSolidSphere(0.5, 8, 8);
    glPopMatrix();
}

void setWaterMaterial()
{
    const GLfloat ambientAndDiffuse[] = {0.1f, 0.1f, 0.1f, 1.0f};
    const GLfloat specular[] = {0.7f, 0.7f, 0.7f, 1.0f};
    glMaterialfv(GL_FRONT, GL_AMBIENT_AND_DIFFUSE, ambientAndDiffuse);
    glMaterialfv(GL_FRONT, GL_SPECULAR, specular);
    glMaterialf(GL_FRONT, GL_SHININESS, 2.9f);
    // Each vertex colour becomes the front diffuse colour.
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT, GL_DIFFUSE);
}

} // namespace

void drawFrame(Program& program)
{
    View& view = program.view;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();

    // The sky and the light use the offset of the previous frame's Apply.
    drawSky(view);
    placeLight(view);
    view.camera.Apply();

    drawMarkerSphere(view);
    setWaterMaterial();
    drawSurface(program.basin, view.colorOffsets, view.surface);
    drawWalls(program.basin, view.colorOffsets, view.walls);
    glDisable(GL_COLOR_MATERIAL);

    drawFps(view);
    if (view.overlay)
        drawOverlay(program);
    glutSwapBuffers();
}

void display() { drawFrame(activeProgram()); }
