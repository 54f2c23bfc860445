// Other blob meshes drawn in the embedded one's place: the blob frames timed
// with another mesh, frame by frame against the embedded one in the same
// process, so that two versions of the mesh are compared under the same load
// instead of in separate runs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "assets/mesh_blob.h"

// A blob mesh read from a file that qorv-meshgen wrote (blob.mesh): vertex
// count, drawn index count, the vertex records, then the stored indices.
struct BlobFile {
    MeshBlob mesh = {};
    std::vector<uint32_t> words;  // the whole file
};

// Reads and checks a mesh file: its size matches its counts and every drawn
// index names a vertex. On failure says why in *error.
bool readBlobFile(BlobFile* out, std::string* error, const char* path);

// Uploads another blob mesh into buffers of its own and returns its vertex
// array: with that in blobVertexArray, the show's draw of the blob draws
// this mesh, whole.
uint32_t uploadOtherBlob(const MeshBlob& mesh);

// Draws frame n `repetitions` times with the embedded blob and as often with
// the other one (a vertex array from uploadOtherBlob), alternating, each
// draw finished with glFinish; milliseconds per draw into *embedded and
// *other.
void timeBlobAgainst(std::vector<double>* embedded, std::vector<double>* other,
                     uint32_t otherVertexArray, int n, int repetitions);
