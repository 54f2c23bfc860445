// Writes the generated mesh files and the header with their counts.
#pragma once

#include "triangle_mesh.h"

// vertexCount and drawn indexCount (uint32 LE), the vertex records (six
// float32 LE), then every stored index entry (uint32 LE).
bool writeMeshFile(const char* path, const TriangleMesh& mesh);

struct NamedMesh {
    const char* name;  // e.g. "ring": gives ringVertexCount, ringIndexCount
    const TriangleMesh* mesh;
};

bool writeMeshCounts(const char* path, const NamedMesh* meshes, int count);
