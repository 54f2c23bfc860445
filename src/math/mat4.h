// 4x4 matrices, column-major (element of column c, row r at c*4 + r), applied
// to column vectors. Every transforming operation multiplies on the right, so
// the operation applied last acts first on a vertex.
#pragma once

#include "math/vec.h"

struct Mat4 {
    float m[16];
};

void mat4Identity(Mat4* m);
void mat4Copy(Mat4* dst, const Mat4* src);
void mat4GetRow(Vec4* out, const Mat4* m, int r);
void mat4GetColumn(Vec4* out, const Mat4* m, int c);
void mat4SetColumn(Mat4* m, const Vec4* v, int c);
void mat4Multiply(Mat4* out, const Mat4* a, const Mat4* b);              // out may alias a or b
void mat4Scale(Mat4* out, const Mat4* m, float sx, float sy, float sz);  // out may alias m
void mat4Translate(Mat4* m, float tx, float ty, float tz);               // in place
void mat4RotateX(Mat4* out, const Mat4* m, float angle);                 // out may alias m
void mat4RotateY(Mat4* out, const Mat4* m, float angle);                 // turns +X toward +Z
void mat4RotateZ(Mat4* out, const Mat4* m, float angle);
void mat4Perspective(Mat4* out, float fovy, float aspect, float nearZ, float farZ);
void mat4LookAt(Mat4* out, const Vec3* eye, const Vec3* target, const Vec3* up);
