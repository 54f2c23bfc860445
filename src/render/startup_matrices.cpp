// Start-up values of the shared matrices.
#include "render/startup_matrices.h"

ScreenRect windowRect;
Mat4 worldMatrix;
Mat4 viewMatrix;
Mat4 projectionMatrix;

namespace {

const float kFieldOfViewY = 1.413675f;  // radians, about 81 degrees
const float kNearPlane = 0.01f;
const float kFarPlane = 100.0f;

}  // namespace

void setStartupMatrices() {
    mat4Identity(&worldMatrix);

    const Vec3 eye = {0.0f, 0.0f, 30.0f};
    const Vec3 target = {0.0f, 0.0f, 0.0f};
    const Vec3 up = {0.0f, 1.0f, 0.0f};
    mat4LookAt(&viewMatrix, &eye, &target, &up);

    // Later size changes are not followed: the projection keeps this aspect.
    const float aspect = static_cast<float>(windowRect.right - windowRect.left) /
                         static_cast<float>(windowRect.bottom - windowRect.top);
    mat4Perspective(&projectionMatrix, kFieldOfViewY, aspect, kNearPlane, kFarPlane);
}
