#pragma once

#include <cmath>

// The view matrix of an eye at e looking at c with up (0, 1, 0), column-major,
// built by hand so that tests do not compare gluLookAt with itself.
inline void lookAtMatrix(const double e[3], const double c[3], double m[16])
{
    double f[3] = {c[0] - e[0], c[1] - e[1], c[2] - e[2]};
    const double fl = std::sqrt(f[0] * f[0] + f[1] * f[1] + f[2] * f[2]);
    for (double& v : f)
        v /= fl;
    // s = f x up, up = (0, 1, 0)
    double s[3] = {-f[2], 0.0, f[0]};
    const double sl = std::sqrt(s[0] * s[0] + s[2] * s[2]);
    s[0] /= sl;
    s[2] /= sl;
    // u = s x f
    const double u[3] = {s[1] * f[2] - s[2] * f[1], s[2] * f[0] - s[0] * f[2],
                         s[0] * f[1] - s[1] * f[0]};
    const double rows[3][3] = {{s[0], s[1], s[2]}, {u[0], u[1], u[2]}, {-f[0], -f[1], -f[2]}};
    for (int r = 0; r < 3; ++r) {
        for (int col = 0; col < 3; ++col)
            m[col * 4 + r] = rows[r][col];
        m[12 + r] = -(rows[r][0] * e[0] + rows[r][1] * e[1] + rows[r][2] * e[2]);
        m[r * 4 + 3] = 0.0;
    }
    m[15] = 1.0;
}
