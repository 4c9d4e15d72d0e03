#pragma once

// Orbit camera: an eye on a sphere around a fixed target. GL-free but for
// Apply (render/camera_look_at.cpp).
class Camera {
public:
    struct Vec3 {
        double x, y, z;
    };

    Vec3 offset{0.0, 0.0, 0.0};      // eye relative to target, written by Apply
    Vec3 target{80.0, 100.0, 80.0};
    Vec3 up{0.0, 1.0, 0.0};
    double radius = 40.0;
    double phi = 1.0471975511965976;   // pi/3, polar angle from +Y
    double theta = 1.0471975511965976; // pi/3, azimuth from +X towards +Z

    Camera() = default;

    // The eye's offset from the target for the current angles and radius.
    Vec3 eyeOffset() const;
    // Stores eyeOffset() in offset and multiplies the current GL matrix by the
    // look-at transform.
    void Apply();
    void AddPhi(double d);
    void AddTheta(double d);
    void AddRadius(double d);
};

constexpr double PHI_MIN = 3.141592653589793 / 1000.0;
constexpr double PHI_MAX = 3.141592653589793 - 3.141592653589793 / 1000.0;

// The vertical field of view and the near plane of every frame's projection.
constexpr double FIELD_OF_VIEW_DEGREES = 45.0;
constexpr double NEAR_PLANE = 1.0;
// The seed's far plane, enough for its basin; larger ones push it out.
constexpr double SEED_FAR_PLANE = 550.0;

// Points the camera at a basin of width x height cells. The seed's 160 x 160
// keeps the seed's close view of its middle unless whole is set; every other
// size is seen whole, from the seed's angles, centred and far enough back that
// its corners stay in view in a 4:3 window or wider.
void frameBasin(Camera& camera, int width, int height, bool whole = false);

// The far plane of a basin's projection: the seed's for the seed's basin; for
// the others far enough for the framed view zoomed out to twice its distance.
double farPlane(int width, int height);

// Pointer-drag handler: orbits, or zooms while zoomDrag is set. The last
// pointer position is read and written through lastX and lastY.
void dragCamera(Camera& camera, bool zoomDrag, int& lastX, int& lastY, int x, int y);
