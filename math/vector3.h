// Vector3: the three-float vector the simulation moves particles with.
//
// Components are stored as single-precision floats; every operation widens
// its operands to double, computes there and rounds to float once on store,
// so results do not depend on how the compiler schedules float arithmetic.
#pragma once

struct Vector3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    Vector3() = default;
    Vector3(float vX, float vY, float vZ) : x(vX), y(vY), z(vZ) {}

    Vector3 &operator+=(const Vector3 &vOther) {
        x = static_cast<float>(static_cast<double>(x) + static_cast<double>(vOther.x));
        y = static_cast<float>(static_cast<double>(y) + static_cast<double>(vOther.y));
        z = static_cast<float>(static_cast<double>(z) + static_cast<double>(vOther.z));
        return *this;
    }

    Vector3 operator*(float scale) const {
        const double s = scale;
        return Vector3(static_cast<float>(static_cast<double>(x) * s),
                       static_cast<float>(static_cast<double>(y) * s),
                       static_cast<float>(static_cast<double>(z) * s));
    }
};
