// Steps 4 and 5 of the blob's mesher: the split quads adapt to the surface
// with their topology fixed.
//
// Step 4 is a spring relaxation with rest lengths after F. J. Bossen and
// P. S. Heckbert, "A pliant method for anisotropic mesh generation", 5th
// International Meshing Roundtable, 1996. Every side and diagonal of every
// quad is a spring whose length is measured in a metric that grows across
// tight bends: with d the spring's length in space and t the turn of the
// surface normal along it (radians), its length is
//     sqrt(d^2 / blobFlatSide^2 + t d / blobBendScale + turnWeight t^2),
// so quads keep to blobFlatSide where the surface is flat, and across a bend of
// curvature k their side shrinks with k d^2 (how far a centre lies off its
// corners' mean) and with t (how far the normal turns). All sides share
// one rest length, the median side's, and diagonals sqrt(2) times it, so
// the metric lengths even out. Each point
// moves in the surface's tangent plane, lifted into six dimensions
// (position, and the normal scaled by liftBend) so that a move that turns
// the normal counts; a point on a mirror line moves only along it.
//
// Step 5 is optimisation-based smoothing after S. A. Canann, J. R. Tristano
// and M. L. Staten, "An approach to combined Laplacian and
// optimization-based smoothing for triangular, quadrilateral, and
// quad-dominant meshes", 7th International Meshing Roundtable, 1998: where
// a quad still reaches past the mesh limits, its points try small moves and
// keep those that lower the excess of their neighbourhood.
#include "blob_domain.h"

#include "blob_mesh_limits.h"
#include "blob_settings.h"
#include "blob_surface_field.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace {

constexpr double pi = 3.14159265358979323846;

// The metric's weight on the turn (its two scales are in blob_settings.h),
// the lifted normal's scale and the relaxation's damping.
constexpr double turnWeight = 2;
constexpr double liftBend = 0.07;
constexpr double damping = 0.7;
// Springs near the face's centre count up to 1 + bossWeight times longer,
// fading out over bossReach from the axis: the boss there stores its normal
// along the axis, which outweighs the other corners' normals over every
// triangle around it, so those triangles shade as one flat spot the size of
// the quads around the boss. Measured: this halves them, to sides of
// 0.011 to 0.021, and every figure of the mesh stays within its bounds.
constexpr double bossWeight = 3;
constexpr double bossReach = 0.04;
// No spring counts longer than its length in space over this: the metric
// stops growing where quads would otherwise shrink below the edge floor.
constexpr double shortestMetricSide = 0.012;

struct Lifted {
    Point3 p, n;  // the surface point and its unit normal times liftBend
};

Lifted lifted(double u, double v) {
    Point3 p, pu, pv;
    blobFacePoint(&p, &pu, &pv, u, v);
    Point3 n = cross(pu, pv);
    return {p, mul(n, liftBend / norm(n))};
}

double liftedDistance(const Lifted& a, const Lifted& b) {
    Point3 d = sub(a.p, b.p), e = sub(a.n, b.n);
    return std::sqrt(dot(d, d) + dot(e, e));
}

double metricLength(const Lifted& a, const Lifted& b) {
    double d = norm(sub(a.p, b.p)), t = norm(sub(a.n, b.n)) / liftBend;
    double l = std::sqrt(d * d / (blobFlatSide * blobFlatSide) + t * d / blobBendScale +
                         turnWeight * t * t);
    Point3 m = mul(add(a.p, b.p), 0.5);
    l *= 1 + bossWeight * std::exp(-(m.y * m.y + m.z * m.z) / (bossReach * bossReach));
    return std::min(l, d / shortestMetricSide);
}

// The sine of a quad's sharpest corner in face coordinates, with point
// `moved` at (mu, mv).
double smallestCornerSine(const DomainQuads& m, int q, int moved, double mu, double mv) {
    double U[4], W[4], worst = 1;
    for (int k = 0; k < 4; ++k) {
        int x = m.quads[q][k];
        U[k] = x == moved ? mu : m.points[x].u;
        W[k] = x == moved ? mv : m.points[x].v;
    }
    for (int k = 0; k < 4; ++k) {
        int a = (k + 3) % 4, b = k, c = (k + 1) % 4;
        double o = orientation(U[a], W[a], U[b], W[b], U[c], W[c]);
        double la = std::hypot(U[a] - U[b], W[a] - W[b]), lc = std::hypot(U[c] - U[b], W[c] - W[b]);
        worst = std::min(worst, o / (la * lc + 1e-300));
    }
    return worst;
}

// Each point's quads, with its place in each.
std::vector<std::vector<std::pair<int, int>>> quadsAround(const DomainQuads& m) {
    std::vector<std::vector<std::pair<int, int>>> around(m.points.size());
    for (int q = 0; q < int(m.quads.size()); ++q)
        for (int k = 0; k < 4; ++k) around[m.quads[q][k]].push_back({q, k});
    return around;
}

}  // namespace

void relaxBlobDomain(DomainQuads* mesh, int level, int sweeps) {
    const size_t n = mesh->points.size();
    auto around = quadsAround(*mesh);
    std::vector<Lifted> L(n);
    for (size_t i = 0; i < n; ++i) L[i] = lifted(mesh->points[i].u, mesh->points[i].v);
    // Before the last split sides are twice as long, and so is their floor.
    const double sideFloor = blobShortestEdge * (level == 1 ? 2 : 1);
    for (int sweep = 0; sweep < sweeps; ++sweep) {
        std::vector<double> lengths;
        for (auto& q : mesh->quads)
            for (int k = 0; k < 4; ++k) lengths.push_back(metricLength(L[q[k]], L[q[(k + 1) % 4]]));
        std::nth_element(lengths.begin(), lengths.begin() + long(lengths.size() / 2),
                         lengths.end());
        const double rest = lengths[lengths.size() / 2];
        for (size_t i = 0; i < n; ++i) {
            DomainPoint& x = mesh->points[i];
            if (isDomainCorner(x.lines) || around[i].empty()) continue;
            // The springs' pull on the lifted point, and its stiffness; a
            // Laplacian share of one keeps the quads even where the springs
            // are slack.
            Point3 pull{0, 0, 0}, turn{0, 0, 0};
            double stiffness = 0;
            for (auto [q, k] : around[i])
                for (int m = 1; m < 4; ++m) {
                    int j = mesh->quads[q][(k + m) % 4];
                    double l = metricLength(L[i], L[j]);
                    double d6 = std::max(liftedDistance(L[i], L[j]), 1e-12);
                    double scale = l / d6, r = rest * (m == 2 ? std::sqrt(2.0) : 1.0);
                    double w = 0.5 * scale * (l - r) / d6 + 0.5 * l / d6;
                    stiffness += 0.5 * scale * scale + 0.5 * l / d6;
                    pull = add(pull, mul(sub(L[j].p, L[i].p), w));
                    turn = add(turn, mul(sub(L[j].n, L[i].n), w));
                }
            Point3 d = mul(pull, damping / stiffness), dn = mul(turn, damping / stiffness);
            Point3 p, pu, pv;
            blobFacePoint(&p, &pu, &pv, x.u, x.v);
            const double e = 1e-5;
            Lifted a = lifted(x.u + e, x.v), b = lifted(x.u, x.v + e);
            Point3 nu = mul(sub(a.n, L[i].n), 1 / e), nv = mul(sub(b.n, L[i].n), 1 / e);
            double E = dot(pu, pu) + dot(nu, nu), F = dot(pu, pv) + dot(nu, nv),
                   G = dot(pv, pv) + dot(nv, nv);
            double bu = dot(pu, d) + dot(nu, dn), bv = dot(pv, d) + dot(nv, dn);
            double det = E * G - F * F;
            double du = (G * bu - F * bv) / det, dv = (E * bv - F * bu) / det;
            if (x.lines == onDiagonal) {
                Point3 t = add(pu, pv);
                du = dv = dot(t, d) / dot(t, t);
            }
            keepOnLine(&du, &dv, x.lines);
            if (!std::isfinite(du) || !std::isfinite(dv)) continue;
            // No corner may become sharper than the limit, or than it is.
            std::vector<double> sharpest;
            for (auto [q, k] : around[i])
                sharpest.push_back(
                    std::min(blobRelaxCornerSine, smallestCornerSine(*mesh, q, -1, 0, 0)));
            for (int tries = 0; tries < 6; ++tries, du *= 0.5, dv *= 0.5) {
                double tu = x.u + du, tv = x.lines == onDiagonal ? x.u + du : x.v + dv;
                bool ok = true;
                for (size_t a = 0; a < around[i].size(); ++a)
                    ok = ok && smallestCornerSine(*mesh, around[i][a].first, int(i), tu, tv) >=
                                   sharpest[a];
                // No side may shrink below the floor.
                if (ok) {
                    Point3 tp = surf(tu, tv);
                    for (auto [q, k] : around[i])
                        for (int m = 1; m < 4; m += 2) {
                            Point3 o = mesh->points[mesh->quads[q][(k + m) % 4]].p;
                            double before = norm(sub(x.p, o)), after = norm(sub(tp, o));
                            if (after < sideFloor && after < before) ok = false;
                        }
                }
                if (!ok) continue;
                x.u = tu, x.v = tv;
                x.p = surf(tu, tv);
                L[i] = lifted(tu, tv);
                break;
            }
        }
    }
}

void smoothBlobDomain(DomainQuads* mesh, int passes) {
    const size_t n = mesh->points.size(), nq = mesh->quads.size();
    auto around = quadsAround(*mesh);
    std::vector<Point3> P(n), C(nq);
    for (size_t i = 0; i < n; ++i) P[i] = domainSurfacePoint(mesh->points[i].u, mesh->points[i].v);
    auto centre = [&](int q) {
        double u[4], v[4];
        Point3 p[4];
        for (int k = 0; k < 4; ++k) {
            int x = mesh->quads[q][k];
            u[k] = mesh->points[x].u, v[k] = mesh->points[x].v, p[k] = P[x];
        }
        return domainQuadCentre(u, v, p);
    };
    for (size_t q = 0; q < nq; ++q) C[q] = centre(int(q));
    // A corner's normal as the whole blob's mesh will have it: the area-
    // weighted sum over its triangles, with the mirror images of those
    // across the lines it lies on.
    auto cornerNormal = [&](int i) {
        Point3 s{0, 0, 0};
        for (auto [q, k] : around[i]) {
            const auto& Q = mesh->quads[q];
            Point3 a = P[Q[(k + 3) % 4]], b = P[Q[(k + 1) % 4]], c = C[q], p = P[i];
            s = add(s, cross(sub(b, p), sub(c, p)));
            s = add(s, cross(sub(c, p), sub(a, p)));
        }
        auto fold = [&](Point3 m) { s = sub(s, mul(m, dot(s, m) / dot(m, m))); };
        if (mesh->points[i].lines & onMidLine) fold({0, 1, 0});
        if (mesh->points[i].lines & onDiagonal) fold({0, 1, -1});
        if (mesh->points[i].lines & onEdgeLine) fold({1, 0, -1});
        return mul(s, 1 / norm(s));
    };
    // A quad's excess over the limits: its centre's offset and normal, and
    // its sides and spokes.
    auto excess = [&](int q) {
        const auto& Q = mesh->quads[q];
        Point3 mean{0, 0, 0}, cn{0, 0, 0}, nm{0, 0, 0};
        for (int k = 0; k < 4; ++k) {
            mean = add(mean, mul(P[Q[k]], 0.25));
            cn = add(cn, cross(sub(P[Q[k]], C[q]), sub(P[Q[(k + 1) % 4]], C[q])));
            nm = add(nm, cornerNormal(Q[k]));
        }
        double off = norm(sub(C[q], mean));
        double angle =
            std::acos(std::clamp(dot(cn, nm) / (norm(cn) * norm(nm)), -1.0, 1.0)) * 180 / pi;
        double a = std::max(0.0, off - blobCentreOffset) / 0.001;
        double b = std::max(0.0, angle - blobCentreAngle) / 4;
        double e = 0;
        for (int k = 0; k < 4; ++k) {
            double side = norm(sub(P[Q[k]], P[Q[(k + 1) % 4]])), spoke = norm(sub(P[Q[k]], C[q]));
            for (double l : {side, spoke}) {
                double over = std::max(0.0, l - blobLongestEdge) / 0.002;
                double under = std::max(0.0, blobShortestEdge - l) / 0.0005;
                e += (over * over + under * under) * (l == side ? 0.5 : 1);  // a side has two quads
            }
        }
        return a * a + b * b + e;
    };
    for (int pass = 0; pass < passes; ++pass) {
        std::vector<char> candidate(n, 0);
        for (size_t q = 0; q < nq; ++q)
            if (excess(int(q)) > 0)
                for (int k = 0; k < 4; ++k) candidate[mesh->quads[q][k]] = 1;
        for (size_t i = 0; i < n; ++i) {
            DomainPoint& x = mesh->points[i];
            if (!candidate[i] || isDomainCorner(x.lines)) continue;
            // The quads whose excess a move of i can change.
            std::vector<int> local;
            for (auto [q, k] : around[i])
                for (int m = 0; m < 4; ++m)
                    for (auto [q2, k2] : around[mesh->quads[q][m]]) local.push_back(q2);
            std::sort(local.begin(), local.end());
            local.erase(std::unique(local.begin(), local.end()), local.end());
            auto cost = [&]() {
                double c = 0;
                for (int q : local) c += excess(q);
                return c;
            };
            double best = cost(), reach = 1e9;
            for (auto [q, k] : around[i])
                for (int m = 1; m < 4; m += 2) {
                    const DomainPoint& o = mesh->points[mesh->quads[q][(k + m) % 4]];
                    reach = std::min(reach, std::hypot(o.u - x.u, o.v - x.v));
                }
            double u0 = x.u, v0 = x.v;
            Point3 p0 = P[i];
            for (double step = 0.3 * reach; step > 0.02 * reach; step *= 0.5) {
                bool improved = false;
                for (int d = 0; d < 8; ++d) {
                    double du = step * std::cos(d * pi / 4), dv = step * std::sin(d * pi / 4);
                    keepOnLine(&du, &dv, x.lines);
                    if (du == 0 && dv == 0) continue;
                    x.u = u0 + du, x.v = x.lines == onDiagonal ? x.u : v0 + dv;
                    bool ok = true;
                    for (auto [q, k] : around[i])
                        ok = ok && smallestCornerSine(*mesh, q, -1, 0, 0) >= blobSmoothCornerSine;
                    if (ok) {
                        P[i] = domainSurfacePoint(x.u, x.v);
                        for (auto [q, k] : around[i]) C[q] = centre(q);
                        double c = cost();
                        if (c < best - 1e-12) {
                            best = c, u0 = x.u, v0 = x.v, p0 = P[i], improved = true;
                            continue;
                        }
                    }
                    x.u = u0, x.v = v0, P[i] = p0;
                    for (auto [q, k] : around[i]) C[q] = centre(q);
                }
                if (improved) step *= 2;  // try this size again
            }
            x.u = u0, x.v = v0, P[i] = p0;
            x.p = surf(u0, v0);
            for (auto [q, k] : around[i]) C[q] = centre(q);
        }
    }
}
