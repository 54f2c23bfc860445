// Quad surface to triangle list, with smooth outward normals.
#include "triangle_mesh.h"

#include <cmath>

namespace {

const double axisTolerance = 0.001;
const float axisNormal = 1000000.0f;

}  // namespace

void storeNormal(float* out, double x, double y, double z) {
    double n[3] = {x, y, z};
    for (int k = 0; k < 3; ++k) out[k] = float(n[k]);
    for (int k = 0; k < 3; ++k) {
        if (std::fabs(n[(k + 1) % 3]) < axisTolerance &&
            std::fabs(n[(k + 2) % 3]) < axisTolerance) {
            out[k] = n[k] < 0 ? -axisNormal : axisNormal;
            return;
        }
    }
}

void triangulateQuadSurface(TriangleMesh* out, const QuadSurface& surface) {
    const uint32_t corners = uint32_t(surface.points.size());
    const size_t quads = surface.quads.size();
    const size_t vertexCount = corners + quads;

    std::vector<Point3> position(vertexCount);
    for (uint32_t v = 0; v < corners; ++v) position[v] = surface.points[v];
    for (size_t q = 0; q < quads; ++q) position[corners + q] = surface.centres[q];

    out->indices.clear();
    out->indices.reserve(quads * 12);
    for (size_t q = 0; q < quads; ++q) {
        const auto& c = surface.quads[q];
        uint32_t centre = corners + uint32_t(q);
        for (int k = 0; k < 4; ++k) {
            out->indices.push_back(c[k]);
            out->indices.push_back(c[(k + 1) % 4]);
            out->indices.push_back(centre);
        }
    }
    out->drawnIndexCount = uint32_t(out->indices.size());

    // Summing the unnormalised cross products weights each triangle by its area.
    std::vector<double> normal(vertexCount * 3, 0.0);
    for (size_t i = 0; i < out->indices.size(); i += 3) {
        const Point3& a = position[out->indices[i]];
        const Point3& b = position[out->indices[i + 1]];
        const Point3& c = position[out->indices[i + 2]];
        double ux = b.x - a.x, uy = b.y - a.y, uz = b.z - a.z;
        double vx = c.x - a.x, vy = c.y - a.y, vz = c.z - a.z;
        double n[3] = {uy * vz - uz * vy, uz * vx - ux * vz, ux * vy - uy * vx};
        for (int k = 0; k < 3; ++k)
            for (int d = 0; d < 3; ++d) normal[size_t(out->indices[i + k]) * 3 + d] += n[d];
    }

    out->vertices.resize(vertexCount * 6);
    for (size_t v = 0; v < vertexCount; ++v) {
        float* rec = &out->vertices[v * 6];
        rec[0] = float(position[v].x);
        rec[1] = float(position[v].y);
        rec[2] = float(position[v].z);
        const double* n = &normal[v * 3];
        double len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        const Point3& p = position[v];
        bool onAxis = (p.x == 0) + (p.y == 0) + (p.z == 0) >= 2;
        if (len > 0 && surface.axisNormalsOnAxesOnly && !onAxis)
            for (int k = 0; k < 3; ++k) rec[3 + k] = float(n[k] / len);
        else if (len > 0)
            storeNormal(rec + 3, n[0] / len, n[1] / len, n[2] / len);
        else
            storeNormal(rec + 3, 0.0, 1.0, 0.0);
    }
}
