// Vector operations in single precision; every running sum is a float, so it
// is rounded after each term.
#include "math/vec.h"

#include <cmath>

void vec3Sub(Vec3* out, const Vec3* a, const Vec3* b) {
    out->x = a->x - b->x;
    out->y = a->y - b->y;
    out->z = a->z - b->z;
}

void vec3Scale(Vec3* out, const Vec3* v, float s) {
    out->x = v->x * s;
    out->y = v->y * s;
    out->z = v->z * s;
}

float vec3Dot(const Vec3* a, const Vec3* b) {
    float sum = 0.0f;
    sum = sum + a->x * b->x;
    sum = sum + a->y * b->y;
    sum = sum + a->z * b->z;
    return sum;
}

float vec3Length(const Vec3* v) {
    float d = vec3Dot(v, v);
    return std::sqrt(d);
}

void vec3Normalize(Vec3* out, const Vec3* v) {
    // One reciprocal for all three elements; the length is complete before
    // anything is written, so normalizing in place is safe.
    float len = vec3Length(v);
    float inv = 1.0f / len;
    vec3Scale(out, v, inv);
}

void vec3Cross(Vec3* out, const Vec3* a, const Vec3* b) {
    out->x = a->y * b->z - a->z * b->y;
    out->y = a->z * b->x - a->x * b->z;
    out->z = a->x * b->y - a->y * b->x;
}

void vec4Scale(Vec4* out, const Vec4* v, float s) {
    for (int i = 0; i < 4; ++i) out->e[i] = v->e[i] * s;
}

float vec4Dot(const Vec4* a, const Vec4* b) {
    float sum = 0.0f;
    for (int i = 0; i < 4; ++i) sum = sum + a->e[i] * b->e[i];
    return sum;
}
