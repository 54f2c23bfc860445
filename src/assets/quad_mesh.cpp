// The curtain quad: a 2 x 2 square in the plane y = 0, both triangles facing
// +Y. Its normals use the mesh convention for axis-aligned normals: the axis
// component stored as 1000000, which the shaders normalise away.
#include "assets/mesh_blob.h"

namespace {

// One vertex record (position, normal) a line.
// clang-format off
alignas(16) const float quadVertices[4 * 6] = {
    -1.0f, 0.0f, -1.0f, 0.0f, 1000000.0f, 0.0f,
    -1.0f, 0.0f, 1.0f,  0.0f, 1000000.0f, 0.0f,
    1.0f,  0.0f, -1.0f, 0.0f, 1000000.0f, 0.0f,
    1.0f,  0.0f, 1.0f,  0.0f, 1000000.0f, 0.0f,
};
// clang-format on

const uint32_t quadIndices[6] = {0, 1, 2, 1, 3, 2};

}  // namespace

const MeshBlob quadMesh = {4, 6, quadVertices, quadIndices};
