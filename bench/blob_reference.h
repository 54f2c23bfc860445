// A dense reference of the blob for the shading measure: the generator's
// own domain mesh with every quad split k x k, through the same surface
// functions and with normals made the same way as the embedded blob's.
#pragma once

#include "blob_domain.h"
#include "triangle_mesh.h"

// Every quad of the domain split into k x k quads, bilinearly in face
// coordinates; points on a side are shared by the quads on both sides of it,
// and those on a side of one quad only lie on its mirror line.
void refineBlobDomain(DomainQuads* out, const DomainQuads& domain, int k);

// The whole blob from the domain split k x k, triangulated around each
// quad's centre with area-weighted normals, every normal a unit vector.
void buildBlobReference(TriangleMesh* out, const DomainQuads& domain, int k);

// Normals stored along an axis as +-1000000 made unit vectors again, so
// that the bosses shade as any other point does.
void unitNormals(float* vertices, size_t vertexCount);
