// The frame's matrices in the GL's own float arithmetic.
#include "raster/sprite_transform.h"

#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;

float &At(Matrix4 &m, int row, int column) { return m[static_cast<std::size_t>(column * 4 + row)]; }
float At(const Matrix4 &m, int row, int column) { return m[static_cast<std::size_t>(column * 4 + row)]; }

// a x b where both keep (0, 0, 0, 1) as their last row, as a camera does:
// the GL then leaves out the products with that row's zeros.
Matrix4 MultiplyAffine(const Matrix4 &a, const Matrix4 &b) {
    Matrix4 p{};
    for (int i = 0; i < 3; ++i) {
        const float a0 = At(a, i, 0), a1 = At(a, i, 1), a2 = At(a, i, 2), a3 = At(a, i, 3);
        for (int j = 0; j < 3; ++j) At(p, i, j) = a0 * At(b, 0, j) + a1 * At(b, 1, j) + a2 * At(b, 2, j);
        At(p, i, 3) = a0 * At(b, 0, 3) + a1 * At(b, 1, 3) + a2 * At(b, 2, 3) + a3;
    }
    At(p, 3, 3) = 1.0f;
    return p;
}

void Translate(Matrix4 &m, float x, float y, float z) {
    for (int row = 0; row < 4; ++row)
        At(m, row, 3) = At(m, row, 0) * x + At(m, row, 1) * y + At(m, row, 2) * z + At(m, row, 3);
}

// A turn of `degrees` about the x axis (axis 0) or the y axis (axis 1),
// positive as the GL turns; no turn at all for 0, as the GL skips it.
void Rotate(Matrix4 &m, float degrees, int axis) {
    if (degrees == 0.0f) return;
    const float s = std::sin(static_cast<float>(static_cast<double>(degrees) * kPi / 180.0));
    const float c = std::cos(static_cast<float>(static_cast<double>(degrees) * kPi / 180.0));
    Matrix4 r = IdentityMatrix();
    if (axis == 0) {
        At(r, 1, 1) = c;
        At(r, 2, 2) = c;
        At(r, 1, 2) = -s;
        At(r, 2, 1) = s;
    } else {
        At(r, 0, 0) = c;
        At(r, 2, 2) = c;
        At(r, 0, 2) = s;
        At(r, 2, 0) = -s;
    }
    m = MultiplyAffine(m, r);
}

}  // namespace

Matrix4 IdentityMatrix() { return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}; }

Matrix4 CameraMatrix(const SimulationParameters &params) {
    Matrix4 m = IdentityMatrix();
    Translate(m, 0.0f, 0.0f, params.cameraDistance);
    Rotate(m, -params.pitchAngle, 0);
    Rotate(m, -params.yawAngle, 1);
    Rotate(m, params.spinAngle, 1);
    return m;
}

Matrix4 ProjectionMatrix(const Perspective &perspective) {
    const double radians = kFieldOfView / 2 * kPi / 180;
    const double deltaZ = kFarPlane - perspective.zNear;
    const double sine = std::sin(radians);
    if (deltaZ == 0 || sine == 0 || perspective.aspect == 0) return IdentityMatrix();  // the GL leaves it as it was
    const double cotangent = std::cos(radians) / sine;
    double d[16] = {};
    d[0] = cotangent / perspective.aspect;
    d[5] = cotangent;
    d[10] = -(kFarPlane + perspective.zNear) / deltaZ;
    d[11] = -1;
    d[14] = -2 * perspective.zNear * kFarPlane / deltaZ;
    Matrix4 f{};
    for (int i = 0; i < 16; ++i) f[static_cast<std::size_t>(i)] = static_cast<float>(d[i]);
    // Multiplied onto the identity, as glMultMatrixd does.
    return Multiply(IdentityMatrix(), f);
}

Matrix4 Multiply(const Matrix4 &a, const Matrix4 &b) {
    Matrix4 p{};
    for (int i = 0; i < 4; ++i) {
        const float a0 = At(a, i, 0), a1 = At(a, i, 1), a2 = At(a, i, 2), a3 = At(a, i, 3);
        for (int j = 0; j < 4; ++j)
            At(p, i, j) = a0 * At(b, 0, j) + a1 * At(b, 1, j) + a2 * At(b, 2, j) + a3 * At(b, 3, j);
    }
    return p;
}
