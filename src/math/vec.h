// Vector types and operations: free functions on caller-owned storage, output first.
#pragma once

struct Vec3 {
    float x, y, z;
};

// A row or column of a Mat4, or a homogeneous vector.
struct Vec4 {
    float e[4];
};

void vec3Sub(Vec3* out, const Vec3* a, const Vec3* b);  // out may alias a or b
void vec3Scale(Vec3* out, const Vec3* v, float s);      // out may alias v
float vec3Dot(const Vec3* a, const Vec3* b);
float vec3Length(const Vec3* v);
void vec3Normalize(Vec3* out, const Vec3* v);             // out may alias v; zero input gives NaN
void vec3Cross(Vec3* out, const Vec3* a, const Vec3* b);  // out must not alias a or b

void vec4Scale(Vec4* out, const Vec4* v, float s);  // out may alias v
float vec4Dot(const Vec4* a, const Vec4* b);
