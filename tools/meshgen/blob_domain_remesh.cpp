// Step 1 of the blob's mesher: a coarse triangle mesh of the domain by
// isotropic remeshing after M. Botsch and L. Kobbelt, "A remeshing approach
// to multiresolution modeling", Symposium on Geometry Processing 2004:
// edges longer than 4/3 of the target length are split, those shorter than
// 4/5 collapsed, edges flipped towards valence 6 (4 on the mirror lines),
// and points relaxed tangentially, all measured on the surface. The mesh is
// nearly even: two splits and the relaxation that follow make the fine
// quads, and a coarse mesh that already crowded onto the walls would leave
// them too little room to move.
#include "blob_domain.h"

#include "blob_settings.h"
#include "blob_surface_field.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <map>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

// Target edge length: sqrt(blobSizeScale / curvature) between sizeMin and
// blobSizeMax (blob_settings.h), growing by at most sizeGrowth per unit of
// distance.
constexpr double sizeMin = 0.06;
constexpr double sizeGrowth = 0.35;
constexpr int sizeCells = 256;  // the target is sampled on this raster over [0, 1]^2
constexpr int remeshRounds = 12;

std::vector<double> sizeRaster;

double largestCurvature(double u, double v) {
    const double h = 1e-4;
    Point3 p, pu, pv, a, au, av, b, bu, bv;
    blobFacePoint(&p, &pu, &pv, u, v);
    blobFacePoint(&a, &au, &av, u + h, v);
    blobFacePoint(&b, &bu, &bv, u - h, v);
    Point3 puu = mul(sub(au, bu), 0.5 / h), puv1 = mul(sub(av, bv), 0.5 / h);
    blobFacePoint(&a, &au, &av, u, v + h);
    blobFacePoint(&b, &bu, &bv, u, v - h);
    Point3 pvv = mul(sub(av, bv), 0.5 / h), puv2 = mul(sub(au, bu), 0.5 / h);
    Point3 puv = mul(add(puv1, puv2), 0.5);
    Point3 n = cross(pu, pv);
    n = mul(n, 1 / norm(n));
    double E = dot(pu, pu), F = dot(pu, pv), G = dot(pv, pv);
    double L = dot(puu, n), M = dot(puv, n), N = dot(pvv, n);
    double det = E * G - F * F;
    double K = (L * N - M * M) / det;
    double H = (E * N - 2 * F * M + G * L) / (2 * det);
    double disc = std::sqrt(std::max(0.0, H * H - K));
    return std::max(std::fabs(H + disc), std::fabs(H - disc));
}

void buildSizeRaster() {
    const int n = sizeCells + 1;
    sizeRaster.assign(size_t(n) * n, 0);
    std::vector<Point3> at(size_t(n) * n);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            double u = double(i) / sizeCells, v = double(j) / sizeCells;
            double k = largestCurvature(std::min(u, 1.0 - 1e-4), std::min(v, 1.0 - 1e-4));
            at[i * n + j] = surf(u, v);
            sizeRaster[i * n + j] =
                std::clamp(std::sqrt(blobSizeScale / std::max(k, 1e-9)), sizeMin, blobSizeMax);
        }
    // h(x) <= h(y) + sizeGrowth |x - y| between raster neighbours.
    for (int round = 0; round < 200; ++round) {
        bool changed = false;
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j)
                for (int di = -1; di <= 1; ++di)
                    for (int dj = -1; dj <= 1; ++dj) {
                        int a = i + di, b = j + dj;
                        if ((di == 0 && dj == 0) || a < 0 || b < 0 || a >= n || b >= n) continue;
                        double limit = sizeRaster[a * n + b] +
                                       sizeGrowth * norm(sub(at[i * n + j], at[a * n + b]));
                        if (sizeRaster[i * n + j] > limit + 1e-12) {
                            sizeRaster[i * n + j] = limit;
                            changed = true;
                        }
                    }
        if (!changed) break;
    }
}

double sizeAt(double u, double v) {
    const int n = sizeCells + 1;
    double fu = std::clamp(u, 0.0, 1.0) * sizeCells, fv = std::clamp(v, 0.0, 1.0) * sizeCells;
    int i = std::min(int(fu), sizeCells - 1), j = std::min(int(fv), sizeCells - 1);
    double s = fu - i, t = fv - j;
    return (1 - s) * (1 - t) * sizeRaster[i * n + j] + s * (1 - t) * sizeRaster[(i + 1) * n + j] +
           (1 - s) * t * sizeRaster[i * n + j + 1] + s * t * sizeRaster[(i + 1) * n + j + 1];
}

// The surface point nearest m, by Gauss-Newton steps from (u, v); a point
// on a mirror line moves only along it.
void project(double* u, double* v, Point3 m, int lines) {
    for (int step = 0; step < 8; ++step) {
        Point3 p, pu, pv;
        blobFacePoint(&p, &pu, &pv, *u, *v);
        Point3 d = sub(m, p);
        double du, dv;
        tangentStep(&du, &dv, pu, pv, d);
        if (lines & onMidLine) du = 0;
        if (lines & onEdgeLine) dv = 0;
        if (lines & onDiagonal) {
            Point3 t = add(pu, pv);
            du = dv = dot(t, d) / dot(t, t);
        }
        if (isDomainCorner(lines)) du = dv = 0;
        double largest = std::max(std::fabs(du), std::fabs(dv));
        if (largest > 0.05) du *= 0.05 / largest, dv *= 0.05 / largest;
        if (!std::isfinite(du) || !std::isfinite(dv)) break;
        *u += du;
        *v += dv;
        if (std::fabs(du) + std::fabs(dv) < 1e-12) break;
    }
}

// The mesh being remeshed.
std::vector<DomainPoint> V;
std::vector<char> deadPoint;
std::vector<std::array<int, 3>> T;
std::vector<char> deadTriangle;
std::unordered_map<uint64_t, std::vector<int>> edgeTriangles;
std::vector<std::vector<int>> pointTriangles;

int linesOf(double u, double v) {
    int lines = 0;
    if (std::fabs(u) < 1e-12) lines |= onMidLine;
    if (std::fabs(u - v) < 1e-12) lines |= onDiagonal;
    if (std::fabs(v - 1) < 1e-12) lines |= onEdgeLine;
    return lines;
}

int addPoint(double u, double v, int lines) {
    V.push_back({u, v, lines, surf(u, v)});
    deadPoint.push_back(0);
    return int(V.size()) - 1;
}

double orient(int a, int b, int c) {
    return orientation(V[a].u, V[a].v, V[b].u, V[b].v, V[c].u, V[c].v);
}

// Length over the surface: two chords through the midpoint in (u, v).
double edgeLength(int a, int b) {
    Point3 m = surf(0.5 * (V[a].u + V[b].u), 0.5 * (V[a].v + V[b].v));
    return norm(sub(V[a].p, m)) + norm(sub(m, V[b].p));
}
double targetLength(int a, int b) {
    return sizeAt(0.5 * (V[a].u + V[b].u), 0.5 * (V[a].v + V[b].v));
}

void buildAdjacency() {
    edgeTriangles.clear();
    pointTriangles.assign(V.size(), {});
    for (int t = 0; t < int(T.size()); ++t) {
        if (deadTriangle[t]) continue;
        for (int k = 0; k < 3; ++k) {
            edgeTriangles[sideKey(T[t][k], T[t][(k + 1) % 3])].push_back(t);
            pointTriangles[T[t][k]].push_back(t);
        }
    }
}

void compact() {
    std::vector<int> remap(V.size(), -1);
    std::vector<DomainPoint> points;
    std::vector<char> used(V.size(), 0);
    for (int t = 0; t < int(T.size()); ++t)
        if (!deadTriangle[t])
            for (int k = 0; k < 3; ++k) used[T[t][k]] = 1;
    for (int i = 0; i < int(V.size()); ++i)
        if (used[i]) {
            remap[i] = int(points.size());
            points.push_back(V[i]);
        }
    std::vector<std::array<int, 3>> triangles;
    for (int t = 0; t < int(T.size()); ++t)
        if (!deadTriangle[t]) triangles.push_back({remap[T[t][0]], remap[T[t][1]], remap[T[t][2]]});
    V.swap(points);
    T.swap(triangles);
    deadPoint.assign(V.size(), 0);
    deadTriangle.assign(T.size(), 0);
}

// An n x n grid over the unit square cut along its diagonals, the half
// above the domain's diagonal kept.
void startMesh(int n) {
    V.clear();
    T.clear();
    deadPoint.clear();
    std::map<std::pair<int, int>, int> id;
    for (int i = 0; i <= n; ++i)
        for (int j = i; j <= n; ++j) {
            double u = double(i) / n, v = double(j) / n;
            id[{i, j}] = addPoint(u, v, linesOf(u, v));
        }
    for (int i = 0; i < n; ++i)
        for (int j = i; j < n; ++j) {
            int a = id[{i, j}], c = id[{i + 1, j + 1}], d = id[{i, j + 1}];
            T.push_back({a, c, d});
            if (j > i) T.push_back({a, id[{i + 1, j}], c});
        }
    for (auto& t : T)
        if (orient(t[0], t[1], t[2]) < 0) std::swap(t[1], t[2]);
    deadTriangle.assign(T.size(), 0);
}

// The edges longer than 4/3 of their target (longer) or shorter than 4/5
// of it, the furthest from their target first.
std::vector<std::pair<double, uint64_t>> edgesOffTarget(bool longer) {
    buildAdjacency();
    std::vector<std::pair<double, uint64_t>> out;
    for (auto& e : edgeTriangles) {
        int a = int(e.first >> 32), b = int(e.first & 0xffffffff);
        double r = edgeLength(a, b) / targetLength(a, b);
        if (longer ? r > 4.0 / 3.0 : r < 4.0 / 5.0) out.push_back({longer ? -r : r, e.first});
    }
    std::sort(out.begin(), out.end());
    return out;
}

void splitLong() {
    for (int round = 0; round < 50; ++round) {
        auto candidates = edgesOffTarget(true);
        if (candidates.empty()) break;
        std::vector<char> touched(T.size(), 0);
        int done = 0;
        for (auto& c : candidates) {
            auto& tris = edgeTriangles[c.second];
            bool free = true;
            for (int t : tris) free = free && !touched[t];
            if (!free) continue;
            int a = int(c.second >> 32), b = int(c.second & 0xffffffff);
            double mu = 0.5 * (V[a].u + V[b].u), mv = 0.5 * (V[a].v + V[b].v);
            int lines = tris.size() == 2 ? 0 : (V[a].lines & V[b].lines);
            // The midpoint moves onto the surface point nearest the chord's
            // middle, where the four new triangles all stay valid.
            double pu = mu, pv = mv;
            project(&pu, &pv, mul(add(V[a].p, V[b].p), 0.5), lines);
            bool valid = std::fabs(pu - mu) + std::fabs(pv - mv) < 0.05;
            for (int t : tris)
                for (int k = 0; k < 3; ++k) {
                    int x = T[t][k], y = T[t][(k + 1) % 3], z = T[t][(k + 2) % 3];
                    if (!((x == a && y == b) || (x == b && y == a))) continue;
                    if (orientation(V[x].u, V[x].v, pu, pv, V[z].u, V[z].v) <= 1e-12) valid = false;
                    if (orientation(pu, pv, V[y].u, V[y].v, V[z].u, V[z].v) <= 1e-12) valid = false;
                }
            if (valid) mu = pu, mv = pv;
            int m = addPoint(mu, mv, lines);
            if (lines) {
                if (lines & onMidLine) V[m].u = 0;
                if (lines & onDiagonal) V[m].u = V[m].v = 0.5 * (V[m].u + V[m].v);
                if (lines & onEdgeLine) V[m].v = 1;
                V[m].p = surf(V[m].u, V[m].v);
            }
            for (int t : tris) {
                touched[t] = 1;
                auto tri = T[t];
                int k = 0;
                while (!((tri[k] == a && tri[(k + 1) % 3] == b) ||
                         (tri[k] == b && tri[(k + 1) % 3] == a)))
                    ++k;
                int x = tri[k], y = tri[(k + 1) % 3], z = tri[(k + 2) % 3];
                T[t] = {x, m, z};
                T.push_back({m, y, z});
                deadTriangle.push_back(0);
                touched.push_back(1);
            }
            ++done;
        }
        if (!done) break;
    }
}

std::vector<int> neighbours(int a) {
    std::vector<int> out;
    for (int t : pointTriangles[a])
        for (int k = 0; k < 3; ++k)
            if (T[t][k] != a) out.push_back(T[t][k]);
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

bool hasPoint(int t, int p) { return T[t][0] == p || T[t][1] == p || T[t][2] == p; }

void collapseShort() {
    for (int round = 0; round < 50; ++round) {
        auto candidates = edgesOffTarget(false);
        if (candidates.empty()) break;
        std::vector<char> touched(V.size(), 0);
        int done = 0;
        for (auto& c : candidates) {
            int a0 = int(c.second >> 32), b0 = int(c.second & 0xffffffff);
            for (int way = 0; way < 2; ++way) {
                int a = way ? b0 : a0, b = way ? a0 : b0;  // a collapses into b
                if (deadPoint[a] || deadPoint[b]) break;
                bool free = true;
                for (int p : {a, b})
                    for (int t : pointTriangles[p])
                        for (int k = 0; k < 3; ++k) free = free && !touched[T[t][k]];
                if (!free) break;
                int la = V[a].lines, lb = V[b].lines;
                if (isDomainCorner(la) || (la && !(la & lb))) continue;
                auto& shared = edgeTriangles[c.second];
                if (la == 0 && shared.size() == 1) continue;
                std::vector<int> na = neighbours(a), nb = neighbours(b), common;
                std::set_intersection(na.begin(), na.end(), nb.begin(), nb.end(),
                                      std::back_inserter(common));
                if (common.size() != shared.size()) continue;  // the link condition
                bool ok = true;
                for (int t : pointTriangles[a]) {
                    if (hasPoint(t, b)) continue;
                    int p[3];
                    for (int k = 0; k < 3; ++k) p[k] = T[t][k] == a ? b : T[t][k];
                    ok = ok && orient(p[0], p[1], p[2]) > 1e-12;
                }
                for (int x : na)
                    ok = ok && (x == b || edgeLength(x, b) <= 4.0 / 3.0 * targetLength(x, b));
                if (!ok) continue;
                for (int t : pointTriangles[a]) {
                    if (hasPoint(t, b)) {
                        deadTriangle[t] = 1;
                        continue;
                    }
                    for (int k = 0; k < 3; ++k)
                        if (T[t][k] == a) T[t][k] = b;
                }
                deadPoint[a] = 1;
                touched[a] = touched[b] = 1;
                for (int x : na) touched[x] = 1;
                for (int x : nb) touched[x] = 1;
                ++done;
                break;
            }
        }
        compact();
        if (!done) break;
    }
}

void flipTowardsValence() {
    for (int round = 0; round < 20; ++round) {
        buildAdjacency();
        std::vector<int> valence(V.size(), 0);
        for (auto& e : edgeTriangles) {
            valence[e.first >> 32]++;
            valence[e.first & 0xffffffff]++;
        }
        auto away = [&](int x, int count) {
            if (isDomainCorner(V[x].lines)) return 0;
            return std::abs(count - (V[x].lines ? 4 : 6));
        };
        std::vector<uint64_t> keys;
        for (auto& e : edgeTriangles) keys.push_back(e.first);
        std::sort(keys.begin(), keys.end());
        std::vector<char> touched(T.size(), 0);
        int done = 0;
        for (uint64_t key : keys) {
            auto& tris = edgeTriangles[key];
            if (tris.size() != 2) continue;
            int t1 = tris[0], t2 = tris[1];
            if (touched[t1] || touched[t2]) continue;
            int a = int(key >> 32), b = int(key & 0xffffffff);
            auto third = [&](int t, int x, int y) {
                for (int k = 0; k < 3; ++k)
                    if (T[t][k] == x && T[t][(k + 1) % 3] == y) return T[t][(k + 2) % 3];
                return -1;
            };
            int c = third(t1, a, b), d = third(t2, b, a);
            if (c < 0) {
                std::swap(t1, t2);
                c = third(t1, a, b);
                d = third(t2, b, a);
            }
            if (c < 0 || d < 0 || edgeTriangles.count(sideKey(c, d))) continue;
            int before = away(a, valence[a]) + away(b, valence[b]) + away(c, valence[c]) +
                         away(d, valence[d]);
            int after = away(a, valence[a] - 1) + away(b, valence[b] - 1) +
                        away(c, valence[c] + 1) + away(d, valence[d] + 1);
            if (after >= before || orient(a, d, c) <= 1e-12 || orient(d, b, c) <= 1e-12) continue;
            T[t1] = {a, d, c};
            T[t2] = {d, b, c};
            touched[t1] = touched[t2] = 1;
            valence[a]--, valence[b]--, valence[c]++, valence[d]++;
            ++done;
        }
        if (!done) break;
    }
}

// Every point moves part of the way to its triangles' centroids weighted
// by area over the target length squared, in the tangent plane, as far as
// keeps its triangles valid; then all move at once, and any triangle that
// turned over takes its points back.
void relaxTangentially(double lambda) {
    buildAdjacency();
    std::vector<double> nu(V.size()), nv(V.size());
    for (int i = 0; i < int(V.size()); ++i) {
        nu[i] = V[i].u;
        nv[i] = V[i].v;
        if (isDomainCorner(V[i].lines) || pointTriangles[i].empty()) continue;
        Point3 c{0, 0, 0};
        double total = 0;
        for (int t : pointTriangles[i]) {
            Point3 a = V[T[t][0]].p, b = V[T[t][1]].p, d = V[T[t][2]].p;
            double area = 0.5 * norm(cross(sub(b, a), sub(d, a)));
            double cu = (V[T[t][0]].u + V[T[t][1]].u + V[T[t][2]].u) / 3;
            double cv = (V[T[t][0]].v + V[T[t][1]].v + V[T[t][2]].v) / 3;
            double h = sizeAt(cu, cv), w = area / (h * h);
            c = add(c, mul(add(add(a, b), d), w / 3));
            total += w;
        }
        c = mul(c, 1 / total);
        Point3 p, pu, pv;
        blobFacePoint(&p, &pu, &pv, V[i].u, V[i].v);
        double du, dv;
        tangentStep(&du, &dv, pu, pv, sub(c, p));
        keepOnLine(&du, &dv, V[i].lines);
        du *= lambda, dv *= lambda;
        if (!std::isfinite(du) || !std::isfinite(dv)) continue;
        for (int tries = 0; tries < 6; ++tries, du *= 0.5, dv *= 0.5) {
            double tu = V[i].u + du, tv = V[i].v + dv;
            bool ok = true;
            for (int t : pointTriangles[i]) {
                double P[3][2];
                for (int k = 0; k < 3; ++k) {
                    int x = T[t][k];
                    P[k][0] = x == i ? tu : V[x].u;
                    P[k][1] = x == i ? tv : V[x].v;
                }
                ok =
                    ok && orientation(P[0][0], P[0][1], P[1][0], P[1][1], P[2][0], P[2][1]) > 1e-12;
            }
            if (ok) {
                nu[i] = tu, nv[i] = tv;
                break;
            }
        }
    }
    std::vector<double> ou(V.size()), ov(V.size());
    for (int i = 0; i < int(V.size()); ++i) {
        ou[i] = V[i].u, ov[i] = V[i].v;
        V[i].u = nu[i], V[i].v = nv[i];
    }
    for (int pass = 0; pass < 10; ++pass) {
        bool turned = false;
        for (int t = 0; t < int(T.size()); ++t)
            if (orient(T[t][0], T[t][1], T[t][2]) <= 1e-12) {
                turned = true;
                for (int k = 0; k < 3; ++k) V[T[t][k]].u = ou[T[t][k]], V[T[t][k]].v = ov[T[t][k]];
            }
        if (!turned) break;
    }
    for (auto& x : V) x.p = surf(x.u, x.v);
}

}  // namespace

void remeshBlobDomain(DomainTriangles* out) {
    buildSizeRaster();
    startMesh(20);
    for (int round = 0; round < remeshRounds; ++round) {
        splitLong();
        collapseShort();
        flipTowardsValence();
        relaxTangentially(0.5);
        relaxTangentially(0.5);
    }
    buildAdjacency();
    out->points = V;
    out->triangles = T;
}
