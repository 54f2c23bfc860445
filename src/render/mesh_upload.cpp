// Mesh upload: each embedded mesh goes to the GPU once, straight from the
// program image, as a vertex buffer, an index buffer and a vertex array object
// that records the layout, so a draw is one bind and one glDrawElements.
#include "render/mesh_upload.h"

#include <cstdint>

#include "gl/gl_api.h"

uint32_t ringVertexArray;
uint32_t blobVertexArray;
uint32_t backdropVertexArray;
uint32_t quadVertexArray;

namespace {

const GLsizei kVertexStride = 24;  // position and normal, three floats each
const uintptr_t kNormalOffset = 12;

}  // namespace

MeshBuffers uploadMesh(uint32_t* vertexArray, const MeshBlob* mesh) {
    MeshBuffers buffers = {};
    glApi.glGenVertexArrays(1, vertexArray);
    buffers.vertexArray = *vertexArray;
    glApi.glBindVertexArray(*vertexArray);

    glApi.glGenBuffers(1, &buffers.vertexBuffer);
    glApi.glBindBuffer(GL_ARRAY_BUFFER, buffers.vertexBuffer);
    glApi.glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(mesh->vertexCount) * kVertexStride,
                       mesh->vertices, GL_STATIC_DRAW);
    glApi.glEnableVertexAttribArray(0);
    glApi.glEnableVertexAttribArray(1);
    glApi.glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, kVertexStride, nullptr);
    glApi.glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, kVertexStride,
                                reinterpret_cast<const void*>(kNormalOffset));

    // Bound while the vertex array object is, so the object records it.
    glApi.glGenBuffers(1, &buffers.indexBuffer);
    glApi.glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers.indexBuffer);
    glApi.glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(mesh->indexCount) * 4, mesh->indices,
                       GL_STATIC_DRAW);
    return buffers;
}

void uploadMeshes() {
    uploadMesh(&ringVertexArray, &ringMesh);
    uploadMesh(&blobVertexArray, &blobMesh);
    uploadMesh(&backdropVertexArray, &backdropMesh);
    uploadMesh(&quadVertexArray, &quadMesh);
}
