// GPU buffers and vertex array objects of the embedded meshes.
#pragma once

#include <cstdint>

#include "assets/mesh_blob.h"

struct MeshBuffers {
    uint32_t vertexArray;
    uint32_t vertexBuffer;
    uint32_t indexBuffer;
};

// Vertex array objects, one per mesh, bound by the scene layers to draw.
extern uint32_t ringVertexArray;
extern uint32_t blobVertexArray;
extern uint32_t backdropVertexArray;
extern uint32_t quadVertexArray;

// Copies one mesh into a vertex and an index buffer and records the vertex
// layout in a new vertex array object, whose id goes to *vertexArray first.
MeshBuffers uploadMesh(uint32_t* vertexArray, const MeshBlob* mesh);

// Uploads the ring, blob, backdrop and quad meshes, in that order.
void uploadMeshes();
