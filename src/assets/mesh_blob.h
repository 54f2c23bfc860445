// The four meshes embedded in the program image, in the record layout that
// goes to the GPU unchanged: interleaved position and normal, 24 bytes a
// vertex, and 32-bit triangle indices.
#pragma once

#include <cstdint>

struct MeshBlob {
    uint32_t vertexCount;
    uint32_t indexCount;      // three per triangle
    const float* vertices;    // vertexCount records of six floats
    const uint32_t* indices;  // indexCount entries
};

extern const MeshBlob ringMesh;
extern const MeshBlob blobMesh;
extern const MeshBlob backdropMesh;
extern const MeshBlob quadMesh;
