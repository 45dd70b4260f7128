// The fixed-function transforms of a frame, computed without a GL the way
// the GL computes them, in float: the modelview the frame's camera sets up
// (glTranslatef, then glRotatef three times), the projection the frame's
// perspective makes (gluPerspective, in double, then taken as floats), and
// their product. Each operation sums its terms in the GL's order, so that
// every element is the very float the GL holds.
#pragma once

#include <array>

#include "sim/parameters.h"
#include "values/live_view.h"

// Column-major, as the GL keeps a matrix: element (row, column) at
// [column * 4 + row].
using Matrix4 = std::array<float, 16>;

Matrix4 IdentityMatrix();
// The camera of a frame: the distance, then the pitch and yaw the mouse
// set (negated) and the spin the keys set, each about its axis.
Matrix4 CameraMatrix(const SimulationParameters &params);
// gluPerspective's matrix for the perspective, as the GL stores it.
Matrix4 ProjectionMatrix(const Perspective &perspective);
// a x b, every element summed left to right over its four products.
Matrix4 Multiply(const Matrix4 &a, const Matrix4 &b);
