#pragma once

// Orbit camera: an eye on a sphere around a fixed target.
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

    // Computes offset and multiplies the current GL matrix by the look-at transform.
    void Apply();
    void AddPhi(double d);
    void AddTheta(double d);
    void AddRadius(double d);
};

// The program's one camera.
extern Camera camera;

constexpr double PHI_MIN = 3.141592653589793 / 1000.0;
constexpr double PHI_MAX = 3.141592653589793 - 3.141592653589793 / 1000.0;

// Pointer-drag handler: orbits, or zooms while zoomDrag is set.
void dragCamera(int x, int y);
