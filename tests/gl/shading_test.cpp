// The three lighting models on the GPU against a double-precision evaluation
// of the same formulas: a screen-covering quad whose vertices all carry one
// normal, identity world, view and projection, one pixel read back.
#include "gl_test_support.h"

#include <algorithm>
#include <cmath>

#include "render/shader_programs.h"
#include "render/startup_matrices.h"

namespace {

struct V3 {
    double x, y, z;
};
V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V3 operator*(V3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
double dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
V3 normalized(V3 a) { return a * (1.0 / std::sqrt(dot(a, a))); }

const double kPi = 3.141592653589793;
const V3 kView = {0, 0, 1};
const V3 kLight0 = {500, -100, -200};
const V3 kLight1 = {-300, 200, 400};
const V3 kColor0 = {0.5, 1.0, 0.1};
const V3 kColor1 = {0.9, 0.4, 0.0};

// One light's Oren-Nayar term, step by step as the model defines it.
double orenNayarReference(V3 n, V3 v, V3 l) {
    const double sigma2 = 0.8 * 0.8;
    double nl = dot(n, l), nv = dot(n, v);
    double thetaL = std::acos(nl), thetaV = std::acos(nv);
    double alpha = std::max(thetaV, thetaL), beta = std::min(thetaV, thetaL);
    double gamma = dot(v - n * dot(v, n), l - n * dot(l, n));
    double s9 = sigma2 / (sigma2 + 0.09);
    double c1 = 1.0 - 0.5 * (sigma2 / (sigma2 + 0.33));
    double c2 = gamma >= 0.0 ? 0.45 * s9 * std::sin(alpha)
                             : 0.45 * s9 * (std::sin(alpha) - std::pow(2.0 * beta / kPi, 3.0));
    double p = 4.0 * alpha * beta / (kPi * kPi);
    double c3 = 0.125 * s9 * p * p;
    double a = gamma * c2 * std::tan(beta);
    double b = (1.0 - std::fabs(gamma)) * c3 * std::tan((alpha + beta) / 2.0);
    double l1 = std::max(0.0, nl) * (c1 + a + b);
    double t = 2.0 * beta / kPi;
    double l2 = 0.17 * std::max(0.0, nl) * (sigma2 / (sigma2 + 0.13)) * (1.0 - gamma * t * t);
    return l1 + l2;
}

V3 orenNayarColor(V3 normal) {
    V3 n = normalized(normal), v = normalized(kView);
    double t0 = orenNayarReference(n, v, normalized(kLight0));
    double t1 = orenNayarReference(n, v, normalized(kLight1));
    return {kColor0.x * t0 + kColor1.x * t1 + 0.01, kColor0.y * t0 + kColor1.y * t1 + 0.01,
            kColor0.z * t0 + kColor1.z * t1 + 0.01};
}

V3 viewAngleColor(V3 normal) {
    double a = std::acos(dot(normalized(normal), normalized(kView)));
    return kColor0 * a;
}

int toByte(double c) { return int(std::lround(std::clamp(c, 0.0, 1.0) * 255.0)); }

class Shading : public testing::Test {
protected:
    void SetUp() override {
        requireHeadlessContext();
        static bool built = false;
        if (!built) {
            windowRect = {0, 0, kTestWidth, kTestHeight};
            setStartupMatrices();
            buildShaderPrograms();
            setStartupUniforms();
            built = true;
        }
    }

    // Draws the quad with every vertex carrying `normal` and returns the
    // centre pixel.
    std::array<int, 4> shade(uint32_t program, V3 normal) {
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
        glDisable(GL_DEPTH_TEST);
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT);
        glDrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_INT, nullptr);
        glEnable(GL_DEPTH_TEST);
        image = readFramebuffer();
        const uint8_t* p = image.at(kTestWidth / 2, kTestHeight / 2);
        glDeleteBuffers(2, buffers);
        glDeleteVertexArrays(1, &vao);
        return {p[0], p[1], p[2], p[3]};
    }

    void expectColor(uint32_t program, V3 normal, V3 expected, int alpha, const char* what) {
        std::array<int, 4> got = shade(program, normal);
        const int want[4] = {toByte(expected.x), toByte(expected.y), toByte(expected.z), alpha};
        bool ok = true;
        for (int c = 0; c < 4; ++c) ok = ok && std::abs(got[c] - want[c]) <= 2;
        EXPECT_TRUE(ok) << what << ": got " << got[0] << " " << got[1] << " " << got[2] << " "
                        << got[3] << ", want " << want[0] << " " << want[1] << " " << want[2]
                        << " " << want[3] << " (frame " << saveForInspection(image, what) << ")";
    }

    Image image;
};

const V3 kFacing = {0, 0, 1};                 // gamma = 0 for both lights
const V3 kGrazing = {0.995, 0.0, 0.0998};     // nearly perpendicular to the view
const V3 kBehindLight0 = {-0.8, 0.3, 0.52};   // faces away from light 0 only
const V3 kBehindLight1 = {0.6, -0.5, -0.2};   // faces away from light 1 only
const V3 kAxisUp = {0.0003, 1000000.0, 0.0};  // the stored form of an axis normal
const V3 kOblique = {0.3, 0.4, 0.866};

}  // namespace

TEST_F(Shading, OrenNayarMatchesTheReferenceForEveryKindOfNormal) {
    // The chosen normals really are the cases they are named after.
    ASSERT_LT(dot(normalized(kBehindLight0), normalized(kLight0)), 0.0);
    ASSERT_GT(dot(normalized(kBehindLight0), normalized(kLight1)), 0.0);
    ASSERT_LT(dot(normalized(kBehindLight1), normalized(kLight1)), 0.0);
    ASSERT_GT(dot(normalized(kBehindLight1), normalized(kLight0)), 0.0);
    for (auto [normal, name] : {std::pair{kFacing, "facing"}, {kGrazing, "grazing"},
                                {kBehindLight0, "behind-light-0"}, {kBehindLight1, "behind-light-1"},
                                {kAxisUp, "axis-normal"}, {kOblique, "oblique"}})
        expectColor(orenNayarProgram, normal, orenNayarColor(normal), 255, name);
}

TEST_F(Shading, OrenNayarWithBlackLightsIsTheAmbientAlone) {
    const float black[3] = {0, 0, 0};
    glUseProgram(orenNayarProgram);
    glUniform3fv(glGetUniformLocation(orenNayarProgram, "light_color_0"), 1, black);
    glUniform3fv(glGetUniformLocation(orenNayarProgram, "light_color_1"), 1, black);
    expectColor(orenNayarProgram, kOblique, {0.01, 0.01, 0.01}, 255, "ambient");
    const float c0[3] = {0.5f, 1.0f, 0.1f}, c1[3] = {0.9f, 0.4f, 0.0f};
    glUniform3fv(glGetUniformLocation(orenNayarProgram, "light_color_0"), 1, c0);
    glUniform3fv(glGetUniformLocation(orenNayarProgram, "light_color_1"), 1, c1);
}

TEST_F(Shading, ViewAngleBrightensTowardsTheSilhouette) {
    expectColor(viewAngleProgram, kFacing, {0, 0, 0}, 255, "view-facing");
    expectColor(viewAngleProgram, kOblique, viewAngleColor(kOblique), 255, "view-oblique");
    const V3 sixtyDegrees = {0.866, 0.0, 0.5};
    expectColor(viewAngleProgram, sixtyDegrees, viewAngleColor(sixtyDegrees), 255, "view-60");
    const V3 axisRight = {1000000.0, 0.0, 0.0004};  // pi/2: light_color_0 x 1.5708
    expectColor(viewAngleProgram, axisRight, kColor0 * (kPi / 2), 255, "view-axis");
}

TEST_F(Shading, FlatTakesItsAlphaFromTheSecondLightColour) {
    // (light_color_0, light_color_1.x) whatever the normal.
    expectColor(flatProgram, kOblique, kColor0, 230, "flat-oblique");
    expectColor(flatProgram, kBehindLight0, kColor0, 230, "flat-behind");
}
