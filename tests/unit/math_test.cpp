// Vector and matrix operations against hand-computed values. These run both
// natively and as a 32-bit Windows executable under Wine, where x87 extended
// precision would break the single-precision rounding.
#include <gtest/gtest.h>

#include <cmath>

#include "math/mat4.h"

namespace {

const float kHalfPi = 1.57079632679f;

Vec3 transformPoint(const Mat4& m, Vec3 p) {
    return {m.m[0] * p.x + m.m[4] * p.y + m.m[8] * p.z + m.m[12],
            m.m[1] * p.x + m.m[5] * p.y + m.m[9] * p.z + m.m[13],
            m.m[2] * p.x + m.m[6] * p.y + m.m[10] * p.z + m.m[14]};
}

void expectVec3Near(Vec3 actual, Vec3 expected, float tolerance) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

}  // namespace

TEST(Vector, DotRoundsTheRunningSumAfterEveryTerm) {
    // 1e8 + 1 rounds back to 1e8 in single precision, so the third term
    // cancels exactly; an extended-precision sum would give 1.
    Vec3 a = {1e8f, 1.0f, -1e8f};
    Vec3 b = {1.0f, 1.0f, 1.0f};
    EXPECT_EQ(vec3Dot(&a, &b), 0.0f);
    Vec4 c = {{1e8f, 1.0f, -1e8f, 0.0f}};
    Vec4 d = {{1.0f, 1.0f, 1.0f, 5.0f}};
    EXPECT_EQ(vec4Dot(&c, &d), 0.0f);
}

TEST(Vector, CrossIsRightHandedAndOrderSensitive) {
    Vec3 x = {1, 0, 0}, y = {0, 1, 0}, out;
    vec3Cross(&out, &x, &y);
    EXPECT_EQ(out.x, 0.0f);
    EXPECT_EQ(out.y, 0.0f);
    EXPECT_EQ(out.z, 1.0f);
    vec3Cross(&out, &y, &x);
    EXPECT_EQ(out.z, -1.0f);
    Vec3 a = {2, 3, 4}, b = {5, 6, 7};
    vec3Cross(&out, &a, &b);  // (3*7-4*6, 4*5-2*7, 2*6-3*5)
    EXPECT_EQ(out.x, -3.0f);
    EXPECT_EQ(out.y, 6.0f);
    EXPECT_EQ(out.z, -3.0f);
}

TEST(Vector, NormalizeUsesOneReciprocalAndWorksInPlace) {
    Vec3 v = {3, 4, 0}, out;
    vec3Normalize(&out, &v);
    EXPECT_EQ(out.x, 3.0f * 0.2f);
    EXPECT_EQ(out.y, 4.0f * 0.2f);
    EXPECT_EQ(out.z, 0.0f);
    vec3Normalize(&v, &v);
    EXPECT_EQ(v.x, out.x);
    EXPECT_EQ(v.y, out.y);
    EXPECT_EQ(v.z, out.z);
    // Subtraction and scaling also tolerate aliasing.
    Vec3 p = {5, 7, 9}, q = {1, 2, 3};
    vec3Sub(&p, &p, &q);
    expectVec3Near(p, {4, 5, 6}, 0.0f);
    vec3Scale(&p, &p, 0.5f);
    expectVec3Near(p, {2, 2.5f, 3}, 0.0f);
}

TEST(Vector, ZeroVectorHasLengthZeroAndNormalizesToNaN) {
    Vec3 zero = {0, 0, 0}, out;
    EXPECT_EQ(vec3Length(&zero), 0.0f);
    vec3Normalize(&out, &zero);
    EXPECT_TRUE(std::isnan(out.x) && std::isnan(out.y) && std::isnan(out.z));
}

TEST(Matrix, TranslateThenScaleScalesTheVertexFirst) {
    Mat4 m;
    mat4Identity(&m);
    mat4Translate(&m, 1, 2, 3);
    EXPECT_EQ(m.m[12], 1.0f);
    EXPECT_EQ(m.m[13], 2.0f);
    EXPECT_EQ(m.m[14], 3.0f);
    EXPECT_EQ(m.m[15], 1.0f);

    mat4Identity(&m);
    mat4Translate(&m, 1, 0, 0);
    mat4Scale(&m, &m, 2, 2, 2);
    expectVec3Near(transformPoint(m, {0, 0, 0}), {1, 0, 0}, 0.0f);
    expectVec3Near(transformPoint(m, {1, 0, 0}), {3, 0, 0}, 0.0f);
}

TEST(Matrix, ScaleKeepsTheTranslationColumn) {
    Mat4 m;
    for (int i = 0; i < 16; ++i) m.m[i] = static_cast<float>(i + 1);
    Mat4 same = m;
    mat4Scale(&same, &same, 1, 1, 1);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(same.m[i], m.m[i]);
    mat4Scale(&m, &m, 0, 0, 0);
    for (int i = 0; i < 12; ++i) EXPECT_EQ(m.m[i], 0.0f);
    EXPECT_EQ(m.m[12], 13.0f);
    EXPECT_EQ(m.m[15], 16.0f);
}

TEST(Matrix, RotationsTurnTheAxesTheStatedWay) {
    Mat4 m;
    mat4Identity(&m);
    mat4RotateZ(&m, &m, kHalfPi);
    expectVec3Near(transformPoint(m, {1, 0, 0}), {0, 1, 0}, 1e-6f);
    mat4Identity(&m);
    mat4RotateX(&m, &m, kHalfPi);
    expectVec3Near(transformPoint(m, {0, 1, 0}), {0, 0, 1}, 1e-6f);
    // The Y rotation turns +X toward +Z: the mirror of the right-hand rule.
    mat4Identity(&m);
    mat4RotateY(&m, &m, kHalfPi);
    expectVec3Near(transformPoint(m, {1, 0, 0}), {0, 0, 1}, 1e-6f);
    expectVec3Near(transformPoint(m, {0, 0, 1}), {-1, 0, 0}, 1e-6f);
    EXPECT_EQ(m.m[2], std::sin(kHalfPi));
    EXPECT_EQ(m.m[8], -std::sin(kHalfPi));
}

TEST(Matrix, MultiplyMayWriteIntoItsInputs) {
    Mat4 m = {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}};
    Mat4 p;
    mat4Multiply(&p, &m, &m);
    // Column 0 of m*m: m times (1, 2, 3, 4) = 1*c0 + 2*c1 + 3*c2 + 4*c3.
    EXPECT_EQ(p.m[0], 90.0f);
    EXPECT_EQ(p.m[1], 100.0f);
    EXPECT_EQ(p.m[3], 120.0f);
    EXPECT_EQ(p.m[15], 600.0f);  // 13*4 + 14*8 + 15*12 + 16*16
    mat4Multiply(&m, &m, &m);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(m.m[i], p.m[i]);

    // a*b, not b*a: a translation after a scale.
    Mat4 t, s, ts;
    mat4Identity(&t);
    mat4Translate(&t, 5, 0, 0);
    mat4Identity(&s);
    mat4Scale(&s, &s, 3, 3, 3);
    mat4Multiply(&ts, &t, &s);
    expectVec3Near(transformPoint(ts, {1, 0, 0}), {8, 0, 0}, 0.0f);
}

TEST(Matrix, PerspectiveHasTheOpenGlLayout) {
    Mat4 p;
    mat4Perspective(&p, 2.0f * 0.785398163f, 2.0f, 1.0f, 3.0f);
    EXPECT_NEAR(p.m[0], 0.5f, 1e-6f);
    EXPECT_NEAR(p.m[5], 1.0f, 1e-6f);
    EXPECT_EQ(p.m[10], -2.0f);
    EXPECT_EQ(p.m[11], -1.0f);
    EXPECT_EQ(p.m[14], -3.0f);
    for (int i : {1, 2, 3, 4, 6, 7, 8, 9, 12, 13, 15}) EXPECT_EQ(p.m[i], 0.0f) << "element " << i;
}

TEST(Matrix, LookAtFromThePositiveZAxisIsATranslation) {
    Mat4 v;
    Vec3 eye = {0, 0, 30}, target = {0, 0, 0}, up = {0, 1, 0};
    mat4LookAt(&v, &eye, &target, &up);
    for (int i = 0; i < 16; ++i) {
        float expected = (i % 5 == 0) ? 1.0f : 0.0f;
        if (i == 14) expected = -30.0f;
        EXPECT_EQ(v.m[i], expected) << "element " << i;
    }
}

TEST(Matrix, LookAtMapsTheEyeToTheOriginAndTheTargetOntoMinusZ) {
    Mat4 v;
    Vec3 eye = {8, 5, 30}, target = {10.0977f, 6.7318f, 0}, up = {0, 1, 0};
    mat4LookAt(&v, &eye, &target, &up);
    expectVec3Near(transformPoint(v, eye), {0, 0, 0}, 1e-4f);
    Vec3 t = transformPoint(v, target);
    const float distance = std::sqrt(2.0977f * 2.0977f + 1.7318f * 1.7318f + 900.0f);
    expectVec3Near(t, {0, 0, -distance}, 1e-3f);
    // Up stays up: a point above the eye lands on +Y of the camera.
    EXPECT_GT(transformPoint(v, {8, 6, 30}).y, 0.9f);
}
