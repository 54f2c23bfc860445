// The blob's dense reference: the generator's domain mesh refined.
#include "blob_reference.h"

#include <cmath>
#include <map>
#include <tuple>
#include <vector>

#include "quad_surface.h"

void refineBlobDomain(DomainQuads* out, const DomainQuads& domain, int k) {
    out->points = domain.points;
    out->quads.clear();
    std::map<uint64_t, int> uses;
    for (const auto& q : domain.quads)
        for (int s = 0; s < 4; ++s) uses[sideKey(q[s], q[(s + 1) % 4])]++;
    // Points inside a side, by the side's lower end, its upper end and the
    // step from the lower end.
    std::map<std::tuple<int, int, int>, int> onSide;
    std::vector<int> grid(size_t(k + 1) * (k + 1));
    for (const auto& q : domain.quads) {
        for (int j = 0; j <= k; ++j)
            for (int i = 0; i <= k; ++i) {
                const bool cornerI = i == 0 || i == k, cornerJ = j == 0 || j == k;
                int& at = grid[size_t(j) * (k + 1) + i];
                if (cornerI && cornerJ) {
                    at = q[i == 0 ? (j == 0 ? 0 : 3) : (j == 0 ? 1 : 2)];
                    continue;
                }
                // The side a border point lies on, from corner p to corner r,
                // and its step from p.
                int p = -1, r = -1, step = 0;
                if (j == 0) p = q[0], r = q[1], step = i;
                if (i == k) p = q[1], r = q[2], step = j;
                if (j == k) p = q[3], r = q[2], step = i;
                if (i == 0) p = q[0], r = q[3], step = j;
                std::tuple<int, int, int> key;
                if (p >= 0) {
                    key = p < r ? std::make_tuple(p, r, step) : std::make_tuple(r, p, k - step);
                    auto found = onSide.find(key);
                    if (found != onSide.end()) {
                        at = found->second;
                        continue;
                    }
                }
                const double a = double(i) / k, b = double(j) / k;
                const DomainPoint* c[4];
                for (int m = 0; m < 4; ++m) c[m] = &domain.points[q[m]];
                DomainPoint x;
                x.u = (1 - b) * ((1 - a) * c[0]->u + a * c[1]->u) +
                      b * ((1 - a) * c[3]->u + a * c[2]->u);
                x.v = (1 - b) * ((1 - a) * c[0]->v + a * c[1]->v) +
                      b * ((1 - a) * c[3]->v + a * c[2]->v);
                x.lines = 0;
                if (p >= 0 && uses[sideKey(p, r)] == 1) {
                    x.lines = domain.points[p].lines & domain.points[r].lines;
                    // On its mirror line exactly, as the generator keeps its own.
                    if (x.lines & onMidLine) x.u = 0;
                    if (x.lines & onDiagonal) x.u = x.v = 0.5 * (x.u + x.v);
                    if (x.lines & onEdgeLine) x.v = 1;
                }
                x.p = {0, 0, 0};  // reflectBlobDomain places every point itself
                at = int(out->points.size());
                out->points.push_back(x);
                if (p >= 0) onSide[key] = at;
            }
        for (int j = 0; j < k; ++j)
            for (int i = 0; i < k; ++i) {
                auto g = [&](int x, int y) { return grid[size_t(y) * (k + 1) + x]; };
                out->quads.push_back({g(i, j), g(i + 1, j), g(i + 1, j + 1), g(i, j + 1)});
            }
    }
}

void unitNormals(float* vertices, size_t vertexCount) {
    for (size_t v = 0; v < vertexCount; ++v) {
        float* n = vertices + 6 * v + 3;
        double length = std::sqrt(double(n[0]) * n[0] + double(n[1]) * n[1] + double(n[2]) * n[2]);
        if (length > 2)
            for (int k = 0; k < 3; ++k) n[k] = float(n[k] / length);
    }
}

void buildBlobReference(TriangleMesh* out, const DomainQuads& domain, int k) {
    DomainQuads fine;
    refineBlobDomain(&fine, domain, k);
    QuadSurface surface;
    reflectBlobDomain(&surface, fine);
    triangulateQuadSurface(out, surface);
    unitNormals(out->vertices.data(), meshVertexCount(*out));
}
