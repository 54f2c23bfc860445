// Reads a generated mesh file: vertexCount and indexCount (uint32 LE), the
// vertex records (six float32: position, normal), then every stored index
// entry (uint32 LE; the backdrop stores entries beyond indexCount).
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

struct MeshFile {
    uint32_t vertexCount = 0;
    uint32_t indexCount = 0;
    std::vector<float> vertices;    // 6 per vertex
    std::vector<uint32_t> entries;  // indexCount drawn entries, then any stored behind them
};

inline bool loadMeshFile(const std::string& path, MeshFile* out) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    uint32_t counts[2];
    bool ok = std::fread(counts, 4, 2, f) == 2;
    if (ok) {
        out->vertexCount = counts[0];
        out->indexCount = counts[1];
        out->vertices.resize(size_t(counts[0]) * 6);
        ok = std::fread(out->vertices.data(), 4, out->vertices.size(), f) == out->vertices.size();
    }
    out->entries.clear();
    uint32_t entry;
    while (ok && std::fread(&entry, 4, 1, f) == 1) out->entries.push_back(entry);
    std::fclose(f);
    return ok && out->entries.size() >= out->indexCount;
}

// Where the build writes the generated mesh files; QORV_MESH_DIR in the
// environment points the tests at others (bench/blob_settings_sweep.sh).
inline std::string meshPath(const char* name) {
    const char* dir = std::getenv("QORV_MESH_DIR");
    return std::string(dir && *dir ? dir : QORV_MESH_DIR) + "/" + name;
}
