// The show draws the blob through blobVertexArray with the embedded mesh's
// index count. To draw another mesh in its place, the bench binds that mesh's
// vertex array instead, and its draw count replaces the embedded one: the
// bench's link wraps glDrawElements (ld --wrap), and the wrapper takes the
// other mesh's count whenever its vertex array is bound, which a wrapper of
// the GL table's glBindVertexArray records.
#include "blob_against.h"

#include <chrono>
#include <cstdio>
#include <utility>

#include "gl/gl_api.h"
#include "gl/gl_types.h"
#include "render/mesh_upload.h"
#include "show/frame_clock.h"

extern "C" void __real_glDrawElements(GLenum mode, GLsizei count, GLenum type, const void* indices);

namespace {

// The other meshes' vertex arrays and index counts.
std::vector<std::pair<uint32_t, uint32_t>> otherCounts;
uint32_t boundVertexArray = 0;
glBindVertexArrayFn realBindVertexArray = nullptr;

void QORV_GLAPI recordingBindVertexArray(GLuint array) {
    boundVertexArray = array;
    realBindVertexArray(array);
}

double drawFrame(int n) {
    auto start = std::chrono::steady_clock::now();
    frameCounter = n - 1.0;
    renderFrame();
    glFinish();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

}  // namespace

extern "C" void __wrap_glDrawElements(GLenum mode, GLsizei count, GLenum type,
                                      const void* indices) {
    for (const auto& other : otherCounts)
        if (boundVertexArray == other.first) count = GLsizei(other.second);
    __real_glDrawElements(mode, count, type, indices);
}

bool readBlobFile(BlobFile* out, std::string* error, const char* path) {
    std::FILE* f = std::fopen(path, "rb");
    if (!f) {
        *error = std::string("cannot open ") + path;
        return false;
    }
    // Whole little-endian words: two counts, six floats a vertex, indices.
    std::vector<uint32_t> words;
    long bytes = -1;
    if (std::fseek(f, 0, SEEK_END) == 0) bytes = std::ftell(f);
    bool readError = bytes < 0 || bytes % 4 != 0 || std::fseek(f, 0, SEEK_SET) != 0;
    if (!readError) {
        words.resize(size_t(bytes) / 4);
        readError = std::fread(words.data(), 4, words.size(), f) != words.size();
    }
    std::fclose(f);
    uint64_t vertices = words.size() >= 2 ? words[0] : 0, drawn = words.size() >= 2 ? words[1] : 0;
    if (readError || words.size() < 2 || vertices == 0 || drawn == 0 || drawn % 3 != 0 ||
        2 + 6 * vertices + drawn > words.size()) {
        *error = std::string(path) + " is not a mesh file: its counts do not match its size";
        return false;
    }
    const uint32_t* indices = words.data() + 2 + 6 * vertices;
    for (uint64_t i = 0; i < drawn; ++i)
        if (indices[i] >= vertices) {
            *error = std::string(path) + ": index " + std::to_string(i) + " names no vertex";
            return false;
        }
    out->words.swap(words);
    out->mesh = {uint32_t(vertices), uint32_t(drawn),
                 reinterpret_cast<const float*>(out->words.data() + 2),
                 out->words.data() + 2 + 6 * vertices};
    return true;
}

uint32_t uploadOtherBlob(const MeshBlob& mesh) {
    uint32_t vertexArray = 0;
    uploadMesh(&vertexArray, &mesh);
    // A fresh context may hand out the number of an earlier one's array.
    for (size_t i = otherCounts.size(); i-- > 0;)
        if (otherCounts[i].first == vertexArray) otherCounts.erase(otherCounts.begin() + long(i));
    otherCounts.push_back({vertexArray, mesh.indexCount});
    if (glApi.glBindVertexArray != recordingBindVertexArray) {
        realBindVertexArray = glApi.glBindVertexArray;
        glApi.glBindVertexArray = recordingBindVertexArray;
    }
    return vertexArray;
}

void timeBlobAgainst(std::vector<double>* embedded, std::vector<double>* other,
                     uint32_t otherVertexArray, int n, int repetitions) {
    embedded->clear();
    other->clear();
    const uint32_t own = blobVertexArray;
    // One untimed draw of each first, for the driver's lazily built variants.
    for (int r = -1; r < repetitions; ++r) {
        blobVertexArray = own;
        double a = drawFrame(n);
        blobVertexArray = otherVertexArray;
        double b = drawFrame(n);
        blobVertexArray = own;
        if (r < 0) continue;
        embedded->push_back(a);
        other->push_back(b);
    }
}
