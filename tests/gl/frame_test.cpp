// Chosen frames of the show rendered headless and checked where the timeline
// says something changes. Each test's name gives the reason for its check.
#include "frame_support.h"

#include <cmath>

#include "math/mat4.h"
#include "render/mesh_upload.h"
#include "render/shader_programs.h"

namespace {

int countColor(const Image& image, int r, int g, int b, int tolerance) {
    int count = 0;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) count += isColor(image.at(x, y), r, g, b, tolerance);
    return count;
}

bool rowIsBlack(const Image& image, int y) {
    for (int x = 0; x < image.width; ++x)
        if (!isColor(image.at(x, y), 0, 0, 0, 0)) return false;
    return true;
}

GLint currentProgram() {
    GLint program = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    return program;
}

}  // namespace

TEST(Frames, AtFrameOneTheClosedCurtainsCoverEveryPixel) {
    requireShow();
    Image image = renderShowFrame(1);
    EXPECT_EQ(countColor(image, 0, 0, 0, 0), image.width * image.height)
        << saveForInspection(image, "n1");
}

TEST(Frames, AtFrame700TheCurtainsLeaveBandsAtTopAndBottomAndTheSceneBetween) {
    requireShow();
    Image image = renderShowFrame(700);
    EXPECT_TRUE(rowIsBlack(image, 0));
    EXPECT_TRUE(rowIsBlack(image, image.height - 1));
    EXPECT_FALSE(rowIsBlack(image, image.height / 2)) << saveForInspection(image, "n700");
}

TEST(Frames, FromFrame2000TheCurtainLayerNoLongerRuns) {
    requireShow();
    // The curtains are far outside the view by then, so the driver's count
    // of triangles tells whether their two quads were still drawn.
    EXPECT_EQ(trianglesDrawn(1999) - trianglesDrawn(2000), 4u);
    renderShowFrame(1999);
    EXPECT_EQ(GLuint(currentProgram()), flatProgram);
    renderShowFrame(2000);
    EXPECT_EQ(GLuint(currentProgram()), viewAngleProgram);
}

TEST(Frames, AtFrame1000TheUniformsCarryThePulseAndTheSwayingCamera) {
    requireShow();
    Image image = renderShowFrame(1000);
    float pulse[3];
    glGetUniformfv(orenNayarProgram, glGetUniformLocation(orenNayarProgram, "light_color_0"), pulse);
    EXPECT_NEAR(pulse[0], 0.11399f, 2e-5f);
    EXPECT_NEAR(pulse[1], 0.22799f, 2e-5f);
    EXPECT_NEAR(pulse[2], 0.02280f, 2e-5f);

    // Look-at from (8, 5, 30) to (10.0977, 6.7318, 0), built here in double
    // precision from its definition.
    const double eye[3] = {8, 5, 30}, target[3] = {12 * std::sin(1.0), 8 * std::sin(1.0), 0};
    double f[3] = {target[0] - eye[0], target[1] - eye[1], target[2] - eye[2]};
    double fl = std::sqrt(f[0] * f[0] + f[1] * f[1] + f[2] * f[2]);
    for (double& c : f) c /= fl;
    double s[3] = {-f[2], 0, f[0]};  // f x (0, 1, 0)
    double sl = std::sqrt(s[0] * s[0] + s[2] * s[2]);
    for (double& c : s) c /= sl;
    double u[3] = {s[1] * f[2] - s[2] * f[1], s[2] * f[0] - s[0] * f[2], s[0] * f[1] - s[1] * f[0]};
    const double expected[16] = {s[0], u[0], -f[0], 0, s[1], u[1], -f[1], 0, s[2], u[2], -f[2], 0,
                                 -(s[0] * eye[0] + s[1] * eye[1] + s[2] * eye[2]),
                                 -(u[0] * eye[0] + u[1] * eye[1] + u[2] * eye[2]),
                                 f[0] * eye[0] + f[1] * eye[1] + f[2] * eye[2], 1};
    float view[16];
    glGetUniformfv(viewAngleProgram, glGetUniformLocation(viewAngleProgram, "view_matrix"), view);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(view[i], expected[i], 1e-4) << "element " << i;
    EXPECT_NEAR(target[0], 10.0977, 1e-4);

    EXPECT_GT(litPixels(image), image.width * image.height / 50)
        << "rings and blob not visible: " << saveForInspection(image, "n1000");
}

TEST(Frames, AtFrame3500TheRingsVanish) {
    requireShow();
    // Exactly the eight ring instances go: every other draw stays.
    EXPECT_EQ(trianglesDrawn(3499) - trianglesDrawn(3500), 8u * ringMesh.indexCount / 3);
    EXPECT_EQ(trianglesDrawn(3500), trianglesDrawn(3501));
    // On screen nothing else changes at the cut: at 33.6 times their size the
    // rings leave little more than edges in the view, so the change from 3499
    // to 3500 is about the one-frame motion of the blob and the backdrop, as
    // from 3500 to 3501. A jump of the background or the blob would not be.
    Image withRings = renderShowFrame(3499);
    Image without = renderShowFrame(3500);
    Image next = renderShowFrame(3501);
    const int atCut = differingPixels(withRings, without, 8);
    const int motion = differingPixels(without, next, 8);
    EXPECT_LE(atCut, motion * 3 / 2 + without.width * without.height / 100)
        << saveForInspection(withRings, "n3499") << " " << saveForInspection(without, "n3500");
}

TEST(Frames, FromFrame8000TheBlobIsNoLongerDrawn) {
    requireShow();
    EXPECT_EQ(trianglesDrawn(7999) - trianglesDrawn(8000), blobMesh.indexCount / 3);
}

TEST(Frames, TheBackgroundIsBrownThroughFrame3501AndBlackFrom3502) {
    requireShow();
    Image at3501 = renderShowFrame(3501);
    Image at3502 = renderShowFrame(3502);
    EXPECT_GT(countColor(at3501, 51, 26, 0, 1), at3501.width * at3501.height / 10)
        << saveForInspection(at3501, "n3501");
    EXPECT_EQ(countColor(at3502, 51, 26, 0, 1), 0) << saveForInspection(at3502, "n3502");
    EXPECT_GT(countColor(at3502, 0, 0, 0, 0), at3502.width * at3502.height / 10);
}

TEST(Frames, TheBlobKeepsItsSizeAcrossFrame4000) {
    requireShow();
    int at3999 = litPixels(renderShowFrame(3999));
    int at4000 = litPixels(renderShowFrame(4000));
    int at4001 = litPixels(renderShowFrame(4001));
    ASSERT_GT(at3999, 100);
    EXPECT_NEAR(at4000, at3999, at3999 * 0.03);
    EXPECT_NEAR(at4001, at4000, at4000 * 0.03);
}

TEST(Frames, AtFrame8000OnlyTheBackdropRemainsOnBlackWithItsBlackLights) {
    requireShow();
    Image image = renderShowFrame(8000);
    int backdrop = 0, brighter = 0;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const uint8_t* p = image.at(x, y);
            int m = std::max({p[0], p[1], p[2]});
            // The ambient 0.01 is the most a black-lit surface can show.
            if (m > 3) ++brighter;
            if (m == 3) ++backdrop;
        }
    EXPECT_EQ(brighter, 0) << saveForInspection(image, "n8000");
    EXPECT_GT(backdrop, 0);
}

TEST(Frames, AFrameIsAPureFunctionOfItsNumber) {
    requireShow();
    Image first = renderShowFrame(2500);
    renderShowFrame(100);
    Image again = renderShowFrame(2500);
    EXPECT_EQ(first.rgba, again.rgba);
}
