// The three lighting models on the GPU against a double-precision evaluation
// of the same formulas: a quad whose vertices all carry one normal, identity
// world, view and projection, drawn into a 32-bit float colour attachment, so
// that one pixel gives back the shader's own result, neither clamped nor
// rounded to 8 bits. Normals and lights are picked where each term of the
// Oren-Nayar model moves the result by far more than the tolerance.
#include "gl_test_support.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "render/shader_programs.h"
#include "render/startup_matrices.h"

namespace {

struct V3 {
    double x, y, z;
};
V3 operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V3 operator*(V3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
double dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
V3 normalized(V3 a) { return a * (1.0 / std::sqrt(dot(a, a))); }
// What the GPU receives: every vector goes up in single precision.
V3 asFloat(V3 a) { return {double(float(a.x)), double(float(a.y)), double(float(a.z))}; }

const double kPi = 3.141592653589793;
double radians(double degrees) { return degrees * kPi / 180; }
// A unit vector at polar angle `polar` from +Z (the view), turned by
// `azimuth` about Z from the +X side; angles in degrees.
V3 fromAngles(double polar, double azimuth) {
    const double p = radians(polar), a = radians(azimuth);
    return {std::sin(p) * std::cos(a), std::sin(p) * std::sin(a), std::cos(p)};
}
const double kTolerance = 1e-4;
const V3 kView = {0, 0, 1};
const V3 kLight0 = {500, -100, -200};
const V3 kLight1 = {-300, 200, 400};
const V3 kColor0 = {0.5, 1.0, double(0.1f)};
const V3 kColor1 = {double(0.9f), double(0.4f), 0.0};

// One light's Oren-Nayar value, step by step as the model defines it, with
// the parts that the picks below must make large.
struct OrenNayarTerms {
    double value, beta, gamma, cube, c3;
};

OrenNayarTerms orenNayarReference(V3 n, V3 v, V3 l, double thetaV, double thetaL) {
    const double sigma2 = 0.8 * 0.8;
    double nl = dot(n, l);
    double alpha = std::max(thetaV, thetaL), beta = std::min(thetaV, thetaL);
    double gamma = dot(v - n * dot(v, n), l - n * dot(l, n));
    double s9 = sigma2 / (sigma2 + 0.09);
    double c1 = 1.0 - 0.5 * (sigma2 / (sigma2 + 0.33));
    double cube = gamma >= 0.0 ? 0.0 : std::pow(2.0 * beta / kPi, 3.0);
    double c2 = 0.45 * s9 * (std::sin(alpha) - cube);
    double p = 4.0 * alpha * beta / (kPi * kPi);
    double c3 = 0.125 * s9 * p * p;
    double a = gamma * c2 * std::tan(beta);
    double b = (1.0 - std::fabs(gamma)) * c3 * std::tan((alpha + beta) / 2.0);
    double lit = std::max(0.0, nl);
    double t = 2.0 * beta / kPi;
    double l2 = 0.17 * lit * (sigma2 / (sigma2 + 0.13)) * (1.0 - gamma * t * t);
    // How much the cube and the C3 term add to this light's value.
    double cubePart = lit * gamma * -0.45 * s9 * cube * std::tan(beta);
    return {lit * (c1 + a + b) + l2, beta, gamma, cubePart, lit * b};
}

// A case: a normal and the two light positions (the show's unless chosen).
struct Lit {
    V3 normal, light0 = kLight0, light1 = kLight1;
};

// One light's terms; the angles are acos of the dot products unless given.
OrenNayarTerms lightTerms(const Lit& c, int light, const double* thetas = nullptr) {
    const V3 n = normalized(asFloat(c.normal));
    const V3 l = normalized(asFloat(light ? c.light1 : c.light0));
    return orenNayarReference(n, kView, l, thetas ? thetas[0] : std::acos(dot(n, kView)),
                              thetas ? thetas[1 + light] : std::acos(dot(n, l)));
}

V3 orenNayarColor(const Lit& c, const double* thetas) {
    const double t0 = lightTerms(c, 0, thetas).value, t1 = lightTerms(c, 1, thetas).value;
    return kColor0 * t0 + kColor1 * t1 + V3{0.01, 0.01, 0.01};
}

V3 viewAngleColor(V3 normal) {
    return kColor0 * std::acos(dot(normalized(asFloat(normal)), kView));
}

class Shading : public testing::Test {
  protected:
    void SetUp() override {
        requireHeadlessContext();
        static bool built = false;
        if (!built) {
            windowRect = {0, 0, kTestWidth, kTestHeight};
            setStartupMatrices();
            ASSERT_TRUE(buildShaderPrograms());
            setStartupUniforms();
            // A small float colour attachment of its own: the shader's
            // output arrives as it left the program.
            GLuint texture;
            glGenTextures(1, &texture);
            glBindTexture(GL_TEXTURE_2D, texture);
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA32F, kSize, kSize, 0, GL_RGBA, GL_FLOAT, nullptr);
            glGenFramebuffers(1, &floatFramebuffer);
            GLint previous = 0;
            glGetIntegerv(GL_FRAMEBUFFER_BINDING, &previous);
            glBindFramebuffer(GL_FRAMEBUFFER, floatFramebuffer);
            glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
            ASSERT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GLenum(GL_FRAMEBUFFER_COMPLETE));
            glBindFramebuffer(GL_FRAMEBUFFER, previous);
            built = true;
        }
    }

    // Draws the quad with every vertex carrying `normal` and returns the
    // centre pixel of the float attachment.
    std::array<float, 4> shade(uint32_t program, V3 normal) {
        const float nx = float(normal.x), ny = float(normal.y), nz = float(normal.z);
        const float vertices[4 * 6] = {-1, -1, 0, nx, ny, nz, 1, -1, 0, nx, ny, nz,
                                       -1, 1,  0, nx, ny, nz, 1, 1,  0, nx, ny, nz};
        const uint32_t indices[6] = {0, 1, 2, 2, 1, 3};
        GLuint vao, buffers[2];
        glGenVertexArrays(1, &vao);
        glBindVertexArray(vao);
        glGenBuffers(2, buffers);
        glBindBuffer(GL_ARRAY_BUFFER, buffers[0]);
        glBufferData(GL_ARRAY_BUFFER, sizeof vertices, vertices, GL_STATIC_DRAW);
        glEnableVertexAttribArray(0);
        glEnableVertexAttribArray(1);
        glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 24, nullptr);
        glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, 24, reinterpret_cast<void*>(12));
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers[1]);
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, sizeof indices, indices, GL_STATIC_DRAW);

        glUseProgram(program);
        const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
        for (const char* name : {"world_matrix", "view_matrix", "projection_matrix"})
            glUniformMatrix4fv(glGetUniformLocation(program, name), 1, GL_FALSE, identity);
        GLint previous = 0, viewport[4];
        glGetIntegerv(GL_FRAMEBUFFER_BINDING, &previous);
        glGetIntegerv(GL_VIEWPORT, viewport);
        glBindFramebuffer(GL_FRAMEBUFFER, floatFramebuffer);
        glViewport(0, 0, kSize, kSize);
        glDisable(GL_DEPTH_TEST);
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT);
        glDrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_INT, nullptr);
        glEnable(GL_DEPTH_TEST);
        std::array<float, 4> pixel;
        glReadPixels(kSize / 2, kSize / 2, 1, 1, GL_RGBA, GL_FLOAT, pixel.data());
        glBindFramebuffer(GL_FRAMEBUFFER, previous);
        glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
        glDeleteBuffers(2, buffers);
        glDeleteVertexArrays(1, &vao);
        return pixel;
    }

    void expectColor(uint32_t program, V3 normal, V3 expected, double alpha, const char* what) {
        std::array<float, 4> got = shade(program, normal);
        const double want[4] = {expected.x, expected.y, expected.z, alpha};
        bool ok = true;
        for (int c = 0; c < 4; ++c) ok = ok && std::fabs(got[c] - want[c]) <= kTolerance;
        EXPECT_TRUE(ok) << what << ": got " << got[0] << " " << got[1] << " " << got[2] << " "
                        << got[3] << ", want " << want[0] << " " << want[1] << " " << want[2] << " "
                        << want[3];
    }

    static void setLights(const Lit& c) {
        const float l0[3] = {float(c.light0.x), float(c.light0.y), float(c.light0.z)};
        const float l1[3] = {float(c.light1.x), float(c.light1.y), float(c.light1.z)};
        glUseProgram(orenNayarProgram);
        glUniform3fv(glGetUniformLocation(orenNayarProgram, "light_position_0"), 1, l0);
        glUniform3fv(glGetUniformLocation(orenNayarProgram, "light_position_1"), 1, l1);
    }

    // The driver's own acos of N.D, with both normalised as the shaders do:
    // the view-angle program's green is acos(N.V) times light_color_0's
    // green, 1. Mesa's acos is a polynomial that is off by up to 1.6e-4 rad
    // (measured on llvmpipe), more than the tolerance, so the reference
    // takes its angles from here and computes everything after them in
    // double precision.
    double driverAngle(V3 normal, V3 direction) {
        const float d[3] = {float(direction.x), float(direction.y), float(direction.z)};
        const float view[3] = {float(kView.x), float(kView.y), float(kView.z)};
        const GLint location = glGetUniformLocation(viewAngleProgram, "view_direction");
        glUseProgram(viewAngleProgram);
        glUniform3fv(location, 1, d);
        const double angle = shade(viewAngleProgram, normal)[1];
        glUniform3fv(location, 1, view);
        return angle;
    }

    void expectOrenNayar(const Lit& c, const char* what) {
        const double thetas[3] = {driverAngle(c.normal, kView), driverAngle(c.normal, c.light0),
                                  driverAngle(c.normal, c.light1)};
        setLights(c);
        expectColor(orenNayarProgram, c.normal, orenNayarColor(c, thetas), 1.0, what);
    }

    static constexpr int kSize = 4;
    static inline GLuint floatFramebuffer = 0;
};

// The show's lights and normals of every kind.
const V3 kFacing = {0, 0, 1};                 // gamma = 0 for both lights
const V3 kGrazing = {0.995, 0.0, 0.0998};     // nearly perpendicular to the view
const V3 kBehindLight0 = {-0.8, 0.3, 0.52};   // faces away from light 0 only
const V3 kBehindLight1 = {0.6, -0.5, -0.2};   // faces away from light 1 only
const V3 kAxisUp = {0.0003, 1000000.0, 0.0};  // the stored form of an axis normal
const V3 kOblique = {0.3, 0.4, 0.866};

// Picked so that one term carries much of the result; light 1 stays the
// show's. The cube of C2: view and light on opposite sides of the normal
// (gamma < 0), the view at 65 degrees and the light at 60 (beta), near where
// a change of the cube's power, t^2 (1 - t) with t = 2 beta / pi, is largest.
const Lit kCube = {fromAngles(65, 0), fromAngles(125, 0) * 400};
// C2 with gamma > 0: view and light on the same side, sin(alpha) alone.
const Lit kSameSide = {fromAngles(30, 0), fromAngles(20, 180) * 400};
// C3: grazing view (85 degrees) and grazing light (80), a quarter turn apart
// about the normal, so gamma is about 0 and tan((alpha + beta) / 2) large.
const Lit kGrazingBoth = {
    fromAngles(85, 0),
    (fromAngles(85, 0) * std::cos(radians(80)) + V3{0, 1, 0} * std::sin(radians(80))) * 300};

}  // namespace

TEST_F(Shading, OrenNayarMatchesTheReferenceWhereEachTermMatters) {
    // The picks really are the cases they are named after, each term far
    // above the tolerance.
    ASSERT_LT(dot(normalized(kBehindLight0), normalized(kLight0)), 0.0);
    ASSERT_GT(dot(normalized(kBehindLight0), normalized(kLight1)), 0.0);
    ASSERT_LT(dot(normalized(kBehindLight1), normalized(kLight1)), 0.0);
    ASSERT_GT(dot(normalized(kBehindLight1), normalized(kLight0)), 0.0);
    const OrenNayarTerms cube = lightTerms(kCube, 0);
    ASSERT_LT(cube.gamma, -0.5);
    ASSERT_NEAR(cube.beta, radians(60), 1e-3);
    ASSERT_GT(cube.cube, 0.05);
    ASSERT_GT(lightTerms(kSameSide, 0).gamma, 0.2);
    const OrenNayarTerms grazing = lightTerms(kGrazingBoth, 0);
    ASSERT_GT(grazing.c3, 0.05);
    ASSERT_LT(std::fabs(grazing.gamma), 0.1);

    for (auto [c, name] : {std::pair{Lit{kFacing}, "facing"},
                           {Lit{kGrazing}, "grazing"},
                           {Lit{kBehindLight0}, "behind-light-0"},
                           {Lit{kBehindLight1}, "behind-light-1"},
                           {Lit{kAxisUp}, "axis-normal"},
                           {Lit{kOblique}, "oblique"},
                           {kCube, "cube-of-C2"},
                           {kSameSide, "same-side-C2"},
                           {kGrazingBoth, "grazing-C3"}})
        expectOrenNayar(c, name);
}

TEST_F(Shading, OrenNayarWithBlackLightsIsTheAmbientAlone) {
    const float black[3] = {0, 0, 0};
    glUseProgram(orenNayarProgram);
    glUniform3fv(glGetUniformLocation(orenNayarProgram, "light_color_0"), 1, black);
    glUniform3fv(glGetUniformLocation(orenNayarProgram, "light_color_1"), 1, black);
    setLights(Lit{kOblique});
    expectColor(orenNayarProgram, kOblique, {0.01, 0.01, 0.01}, 1.0, "ambient");
    const float c0[3] = {0.5f, 1.0f, 0.1f}, c1[3] = {0.9f, 0.4f, 0.0f};
    glUniform3fv(glGetUniformLocation(orenNayarProgram, "light_color_0"), 1, c0);
    glUniform3fv(glGetUniformLocation(orenNayarProgram, "light_color_1"), 1, c1);
}

TEST_F(Shading, ViewAngleBrightensTowardsTheSilhouette) {
    // NOTE: this program's output is the driver's acos itself, which on
    // llvmpipe is off by up to 1.6e-4 rad; at these normals by under 7e-5.
    expectColor(viewAngleProgram, kFacing, {0, 0, 0}, 1.0, "view-facing");
    expectColor(viewAngleProgram, kOblique, viewAngleColor(kOblique), 1.0, "view-oblique");
    const V3 sixtyDegrees = {0.866, 0.0, 0.5};
    expectColor(viewAngleProgram, sixtyDegrees, viewAngleColor(sixtyDegrees), 1.0, "view-60");
    const V3 axisRight = {1000000.0, 0.0, 0.0004};  // pi/2: light_color_0 x 1.5708
    expectColor(viewAngleProgram, axisRight, kColor0 * (kPi / 2), 1.0, "view-axis");
}

TEST_F(Shading, FlatTakesItsAlphaFromTheSecondLightColour) {
    // (light_color_0, light_color_1.x) whatever the normal.
    expectColor(flatProgram, kOblique, kColor0, double(0.9f), "flat-oblique");
    expectColor(flatProgram, kBehindLight0, kColor0, double(0.9f), "flat-behind");
}
