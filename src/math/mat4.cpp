// Matrix operations in single precision, built on the vector operations.
#include "math/mat4.h"

#include <cmath>

void mat4Identity(Mat4* m) {
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r) m->m[c * 4 + r] = (c == r) ? 1.0f : 0.0f;
}

void mat4Copy(Mat4* dst, const Mat4* src) {
    for (int k = 0; k < 16; ++k) dst->m[k] = src->m[k];
}

void mat4GetRow(Vec4* out, const Mat4* m, int r) {
    for (int i = 0; i < 4; ++i) out->e[i] = m->m[i * 4 + r];
}

void mat4GetColumn(Vec4* out, const Mat4* m, int c) {
    for (int i = 0; i < 4; ++i) out->e[i] = m->m[c * 4 + i];
}

void mat4SetColumn(Mat4* m, const Vec4* v, int c) {
    for (int i = 0; i < 4; ++i) m->m[c * 4 + i] = v->e[i];
}

void mat4Multiply(Mat4* out, const Mat4* a, const Mat4* b) {
    // Built in scratch storage, so out may be a or b.
    Mat4 t;
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) sum = sum + a->m[k * 4 + r] * b->m[c * 4 + k];
            t.m[c * 4 + r] = sum;
        }
    }
    mat4Copy(out, &t);
}

void mat4Scale(Mat4* out, const Mat4* m, float sx, float sy, float sz) {
    Vec4 c0, c1, c2;
    mat4GetColumn(&c0, m, 0);
    mat4GetColumn(&c1, m, 1);
    mat4GetColumn(&c2, m, 2);
    vec4Scale(&c0, &c0, sx);
    vec4Scale(&c1, &c1, sy);
    vec4Scale(&c2, &c2, sz);
    mat4SetColumn(out, &c0, 0);
    mat4SetColumn(out, &c1, 1);
    mat4SetColumn(out, &c2, 2);
    for (int i = 12; i < 16; ++i) out->m[i] = m->m[i];
}

void mat4Translate(Mat4* m, float tx, float ty, float tz) {
    // Column 3 gains tx*col0 + ty*col1 + tz*col2; each row's update is read by
    // no later row, so the work can be done in place.
    Vec4 t = {{tx, ty, tz, 0.0f}};
    for (int i = 0; i < 4; ++i) {
        Vec4 row;
        mat4GetRow(&row, m, i);
        float d = vec4Dot(&row, &t);
        m->m[12 + i] = m->m[12 + i] + d;
    }
}

namespace {

void zeroMat4(Mat4* m) {
    for (float& e : m->m) e = 0.0f;
}

}  // namespace

void mat4RotateX(Mat4* out, const Mat4* m, float angle) {
    float s = std::sin(angle);
    float c = std::cos(angle);
    Mat4 r;
    zeroMat4(&r);
    r.m[0] = 1.0f;
    r.m[5] = c;
    r.m[6] = s;
    r.m[9] = -s;
    r.m[10] = c;
    r.m[15] = 1.0f;
    mat4Multiply(out, m, &r);
}

void mat4RotateY(Mat4* out, const Mat4* m, float angle) {
    // NOTE: the sine sits at index 2 and its negation at index 8, the mirror of
    // the right-handed Y rotation: positive angles turn +X toward +Z. The
    // show's tumbling motion is defined with this sense.
    float s = std::sin(angle);
    float c = std::cos(angle);
    Mat4 r;
    zeroMat4(&r);
    r.m[0] = c;
    r.m[2] = s;
    r.m[5] = 1.0f;
    r.m[8] = -s;
    r.m[10] = c;
    r.m[15] = 1.0f;
    mat4Multiply(out, m, &r);
}

void mat4RotateZ(Mat4* out, const Mat4* m, float angle) {
    float s = std::sin(angle);
    float c = std::cos(angle);
    Mat4 r;
    zeroMat4(&r);
    r.m[0] = c;
    r.m[1] = s;
    r.m[4] = -s;
    r.m[5] = c;
    r.m[10] = 1.0f;
    r.m[15] = 1.0f;
    mat4Multiply(out, m, &r);
}

void mat4Perspective(Mat4* out, float fovy, float aspect, float nearZ, float farZ) {
    float h = fovy / 2.0f;
    float t = std::tan(h);
    float f = 1.0f / t;
    zeroMat4(out);
    out->m[0] = f / aspect;
    out->m[5] = f;
    out->m[10] = -((farZ + nearZ) / (farZ - nearZ));
    out->m[11] = -1.0f;
    out->m[14] = -((farZ * nearZ * 2.0f) / (farZ - nearZ));
}

void mat4LookAt(Mat4* out, const Vec3* eye, const Vec3* target, const Vec3* up) {
    Vec3 fwd, side, upv;
    vec3Sub(&fwd, target, eye);
    vec3Normalize(&fwd, &fwd);
    vec3Cross(&side, &fwd, up);
    vec3Normalize(&side, &side);
    vec3Cross(&upv, &side, &fwd);  // already unit length up to rounding; not renormalized

    const float cols[4][4] = {
        {side.x, upv.x, -fwd.x, 0.0f},
        {side.y, upv.y, -fwd.y, 0.0f},
        {side.z, upv.z, -fwd.z, 0.0f},
        {0.0f, 0.0f, 0.0f, 1.0f},
    };
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r) out->m[c * 4 + r] = cols[c][r];
    mat4Translate(out, -eye->x, -eye->y, -eye->z);
}
