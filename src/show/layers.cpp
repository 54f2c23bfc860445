// The camera step and the scene layers. Every value is a function of the
// frame number n: rates and offsets are doubles, and each result is rounded
// to single precision where the matrix operations and uniforms take it.
#include "show/layers.h"

#include <cmath>

#include "gl/gl_api.h"
#include "render/mesh_upload.h"
#include "render/shader_programs.h"
#include "render/startup_matrices.h"
#include "render/uniform_upload.h"
#include "show/timeline.h"

namespace {

// Three rates are held one unit in the last place below the doubles nearest
// to 0.003, 0.0051 and 0.0008; the show's motion is defined with these.
const double kGrowthRate = 0.0029999999999999996;
const double kBlobSpinY = 0.0050999999999999995;
const double kBlobSpinZ = 0.0007999999999999999;

const Vec3 kBlack = {0.0f, 0.0f, 0.0f};
const Vec3 kOrange = {0.9f, 0.4f, 0.0f};

void drawMesh(const MeshBlob& mesh) {
    glDrawElements(GL_TRIANGLES, GLsizei(mesh.indexCount), GL_UNSIGNED_INT, nullptr);
}

// The light colour that the rings and the blob share: u swings between 0
// and 1 with a period of 200 pi frames, from black to (0.5, 1.0, 0.1).
Vec3 pulseColor(double n) {
    double s = std::sin(0.01 * n);
    double u = s * 0.5 + 0.5;
    return {float(u * 0.5), float(u), float(u * double(0.1f))};
}

}  // namespace

void cameraStep(double n) {
    const Vec3 eye = {8.0f, 5.0f, 30.0f};
    const Vec3 up = {0.0f, 1.0f, 0.0f};
    // Both components follow the same sine: the aim slides along a line
    // between (-12, -8, 0) and (12, 8, 0).
    double s = std::sin(0.001 * n);
    const Vec3 target = {float(12.0 * s), float(8.0 * s), 0.0f};
    mat4LookAt(&viewMatrix, &eye, &target, &up);
    glApi.glUseProgram(orenNayarProgram);
    uploadMatrix(orenNayarProgram, "view_matrix", &viewMatrix);
}

void backdropLayer(double n) {
    // Black lights leave only the ambient term: a near-black shape.
    uploadVector(orenNayarProgram, "light_color_0", &kBlack);
    uploadVector(orenNayarProgram, "light_color_1", &kBlack);
    // With the depth test off the backdrop leaves the depth buffer untouched,
    // so every later layer draws over it.
    glDisable(GL_DEPTH_TEST);
    glApi.glBindVertexArray(backdropVertexArray);
    mat4Identity(&worldMatrix);
    mat4RotateX(&worldMatrix, &worldMatrix, 1.0f);
    mat4RotateY(&worldMatrix, &worldMatrix, float(0.001 * n));
    mat4Scale(&worldMatrix, &worldMatrix, 20.0f, 20.0f, 20.0f);
    uploadMatrix(orenNayarProgram, "world_matrix", &worldMatrix);
    drawMesh(backdropMesh);
    glEnable(GL_DEPTH_TEST);
}

void ringLayer(double n) {
    const Vec3 pulse = pulseColor(n);
    uploadVector(orenNayarProgram, "light_color_0", &pulse);
    uploadVector(orenNayarProgram, "light_color_1", &kOrange);
    if (n >= kRingsEndFrame) return;

    const float g1 = float((n - kRingGrowthFrame) * kGrowthRate + 1.0);
    const float g2 = float((n - kRingSecondGrowthFrame) * 0.004 + 1.0);
    glApi.glBindVertexArray(ringVertexArray);
    // Instance i takes the orientation instance 0 had 100 i frames earlier,
    // at 0.3 i + 0.5 times the mesh's size; early on the later instances turn
    // through negative angles.
    for (int i = 0; i < 8; ++i) {
        const double d = n - 100.0 * i;
        mat4Identity(&worldMatrix);
        mat4RotateX(&worldMatrix, &worldMatrix, float(0.005 * d));
        mat4RotateY(&worldMatrix, &worldMatrix, float(0.0025 * d));
        mat4RotateZ(&worldMatrix, &worldMatrix, float(0.0005 * d));
        const float k = 0.3f * float(i) + 0.5f;
        mat4Scale(&worldMatrix, &worldMatrix, k, k, k);
        if (n >= kRingGrowthFrame) mat4Scale(&worldMatrix, &worldMatrix, g1, g1, g1);
        if (n >= kRingSecondGrowthFrame) mat4Scale(&worldMatrix, &worldMatrix, g2, g2, g2);
        uploadMatrix(orenNayarProgram, "world_matrix", &worldMatrix);
        drawMesh(ringMesh);
    }
}

void blobLayer(double n) {
    glApi.glUseProgram(viewAngleProgram);
    uploadMatrix(viewAngleProgram, "view_matrix", &viewMatrix);
    const Vec3 pulse = pulseColor(n);
    uploadVector(viewAngleProgram, "light_color_0", &pulse);
    if (n >= kBlobEndFrame) return;

    glApi.glBindVertexArray(blobVertexArray);
    mat4Identity(&worldMatrix);
    mat4RotateY(&worldMatrix, &worldMatrix, float(kBlobSpinY * n));
    mat4RotateX(&worldMatrix, &worldMatrix, float(0.0028 * n));
    mat4RotateZ(&worldMatrix, &worldMatrix, float(kBlobSpinZ * n));
    mat4Scale(&worldMatrix, &worldMatrix, 2.0f, 2.0f, 2.0f);
    if (n >= kBlobFullSizeFrame) {
        // The value the growth reaches at kBlobFullSizeFrame, held from then on.
        mat4Scale(&worldMatrix, &worldMatrix, 6.7f, 6.7f, 6.7f);
    } else if (n >= kBlobGrowthFrame) {
        const float g3 = float((n - kBlobGrowthFrame) * kGrowthRate + 1.0);
        mat4Scale(&worldMatrix, &worldMatrix, g3, g3, g3);
    }
    uploadMatrix(viewAngleProgram, "world_matrix", &worldMatrix);
    drawMesh(blobMesh);
}

void curtainLayer(double n) {
    if (n >= kCurtainsEndFrame) return;
    // Opaque black (blending is never on), seen from the start-up camera that
    // the flat program keeps, so the curtains do not sway with the show.
    glDisable(GL_DEPTH_TEST);
    glApi.glUseProgram(flatProgram);
    uploadVector(flatProgram, "light_color_0", &kBlack);
    uploadVector(flatProgram, "light_color_1", &kBlack);
    glApi.glBindVertexArray(quadVertexArray);
    // Two 200 x 200 squares standing almost upright, moving apart along y;
    // they overlap across the middle of the view until n is about 495.
    const float offsets[2] = {float(0.05 * (n + 1500.0)), float(0.05 * (-n - 1500.0))};
    for (float offset : offsets) {
        mat4Identity(&worldMatrix);
        mat4Translate(&worldMatrix, 0.0f, offset, 0.0f);
        mat4RotateX(&worldMatrix, &worldMatrix, 1.5f);
        mat4Scale(&worldMatrix, &worldMatrix, 100.0f, 100.0f, 100.0f);
        uploadMatrix(flatProgram, "world_matrix", &worldMatrix);
        drawMesh(quadMesh);
    }
    glEnable(GL_DEPTH_TEST);
}
