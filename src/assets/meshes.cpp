// ringMesh, blobMesh and backdropMesh over the embedded mesh files
// (mesh_data.S); the counts come from the header the generator writes with
// the files.
#include <cstdint>

#include "assets/mesh_blob.h"
#include "mesh_counts.h"

extern "C" const float qorvRingVertices[];
extern "C" const uint32_t qorvRingIndices[];
extern "C" const float qorvBlobVertices[];
extern "C" const uint32_t qorvBlobIndices[];
extern "C" const float qorvBackdropVertices[];
extern "C" const uint32_t qorvBackdropIndices[];

const MeshBlob ringMesh = {ringVertexCount, ringIndexCount, qorvRingVertices, qorvRingIndices};
const MeshBlob blobMesh = {blobVertexCount, blobIndexCount, qorvBlobVertices, qorvBlobIndices};
const MeshBlob backdropMesh = {backdropVertexCount, backdropIndexCount, qorvBackdropVertices,
                               qorvBackdropIndices};
