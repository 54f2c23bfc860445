// Steps 2 and 3 of the blob's mesher: the coarse triangles paired into
// quads, then split twice in the manner of one Catmull-Clark step each (a
// quad into four, a triangle into three, new points midway in face
// coordinates). Pairing takes the pairs whose corners come closest to right
// angles first; a triangle left without a partner becomes three quads
// around one point shared by three. After two splits nearly every corner is
// shared by four quads: only the coarse mesh's irregular points and the
// middles of its unpaired triangles are not.
#include "blob_domain.h"

#include "blob_surface_field.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <unordered_map>
#include <utility>

namespace {

double orientation(const DomainPoint& a, const DomainPoint& b, const DomainPoint& c) {
    return ::orientation(a.u, a.v, b.u, b.v, c.u, c.v);
}

// How far the corner at `at` is from a right angle, in degrees.
double cornerDeviation(Point3 previous, Point3 at, Point3 next) {
    Point3 a = sub(previous, at), b = sub(next, at);
    double c = dot(a, b) / std::sqrt(dot(a, a) * dot(b, b));
    return std::fabs(std::acos(std::clamp(c, -1.0, 1.0)) * 180 / 3.14159265358979323846 - 90);
}

// Splits polygons (quads or triangles) around a point midway between their
// corners, with points midway along their sides; a side on one polygon only
// lies on a mirror line, and so does its midpoint.
void splitPolygons(DomainQuads* out, const std::vector<std::vector<int>>& polygons) {
    std::map<uint64_t, int> uses;
    for (const auto& p : polygons)
        for (size_t k = 0; k < p.size(); ++k) uses[sideKey(p[k], p[(k + 1) % p.size()])]++;
    std::unordered_map<uint64_t, int> middle;
    auto addPoint = [&](double u, double v, int lines) {
        out->points.push_back({u, v, lines, surf(u, v)});
        return int(out->points.size()) - 1;
    };
    auto middleOf = [&](int a, int b) {
        uint64_t key = sideKey(a, b);
        auto found = middle.find(key);
        if (found != middle.end()) return found->second;
        const DomainPoint &pa = out->points[a], &pb = out->points[b];
        int lines = uses[key] == 2 ? 0 : (pa.lines & pb.lines);
        int m = addPoint(0.5 * (pa.u + pb.u), 0.5 * (pa.v + pb.v), lines);
        middle[key] = m;
        return m;
    };
    out->quads.clear();
    for (const auto& p : polygons) {
        const int n = int(p.size());
        double cu = 0, cv = 0;
        for (int k = 0; k < n; ++k) cu += out->points[p[k]].u / n, cv += out->points[p[k]].v / n;
        int c = addPoint(cu, cv, 0);
        int m[4];
        for (int k = 0; k < n; ++k) m[k] = middleOf(p[k], p[(k + 1) % n]);
        for (int k = 0; k < n; ++k) out->quads.push_back({p[k], m[k], c, m[(k + n - 1) % n]});
    }
}

}  // namespace

void pairAndSplit(DomainQuads* out, const DomainTriangles& mesh) {
    const auto& T = mesh.triangles;
    const auto& V = mesh.points;
    std::unordered_map<uint64_t, std::vector<int>> edgeTriangles;
    for (int t = 0; t < int(T.size()); ++t)
        for (int k = 0; k < 3; ++k) edgeTriangles[sideKey(T[t][k], T[t][(k + 1) % 3])].push_back(t);
    auto opposite = [&](int t, int a, int b) {
        for (int k = 0; k < 3; ++k)
            if (T[t][k] != a && T[t][k] != b) return T[t][k];
        return -1;
    };
    // Pairs whose quad is convex in face coordinates, best corners first.
    std::vector<std::pair<double, uint64_t>> candidates;
    for (auto& e : edgeTriangles) {
        if (e.second.size() != 2) continue;
        int a = int(e.first >> 32), b = int(e.first & 0xffffffff);
        int c = opposite(e.second[0], a, b), d = opposite(e.second[1], a, b);
        if (orientation(V[c], V[d], V[a]) * orientation(V[c], V[d], V[b]) >= 0) continue;
        double worst = std::max(std::max(cornerDeviation(V[d].p, V[a].p, V[c].p),
                                         cornerDeviation(V[a].p, V[c].p, V[b].p)),
                                std::max(cornerDeviation(V[c].p, V[b].p, V[d].p),
                                         cornerDeviation(V[b].p, V[d].p, V[a].p)));
        candidates.push_back({worst, e.first});
    }
    std::sort(candidates.begin(), candidates.end());
    std::vector<char> used(T.size(), 0);
    std::vector<std::vector<int>> polygons;
    for (auto& c : candidates) {
        auto& tris = edgeTriangles[c.second];
        if (used[tris[0]] || used[tris[1]]) continue;
        used[tris[0]] = used[tris[1]] = 1;
        int a = int(c.second >> 32), b = int(c.second & 0xffffffff), t1 = tris[0];
        // Counter-clockwise: x, y, z are t1's corners with x -> y the shared side.
        int k = 0;
        while (!((T[t1][k] == a || T[t1][k] == b) &&
                 (T[t1][(k + 1) % 3] == a || T[t1][(k + 1) % 3] == b)))
            ++k;
        int x = T[t1][k], y = T[t1][(k + 1) % 3], z = T[t1][(k + 2) % 3];
        polygons.push_back({x, opposite(tris[1], a, b), y, z});
    }
    for (int t = 0; t < int(T.size()); ++t)
        if (!used[t]) polygons.push_back({T[t][0], T[t][1], T[t][2]});
    out->points = V;
    splitPolygons(out, polygons);
}

void splitQuads(DomainQuads* mesh) {
    std::vector<std::vector<int>> polygons;
    for (const auto& q : mesh->quads) polygons.push_back({q[0], q[1], q[2], q[3]});
    splitPolygons(mesh, polygons);
}
