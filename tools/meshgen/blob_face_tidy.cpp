// The relaxed grid and its cuts leave a tail of edges out of range:
// sides a little too long where a grid line runs over several pits, spokes
// too short in quads that fold over a tight bend. Most of them need no new
// quads, only points placed better: a side too long over a wall can borrow
// from the quads beside it, which are shorter.
//
// Each move is a small step of one point, and of its mirror images with it,
// down the slope of the squared amounts by which the edges of its quads lie
// out of range and their centres lie off their corners' mean; in the last
// round, a point that the slope cannot move off an edge out of range also
// tries steps in eight directions. Sliding the corners of a quad that bends
// over a rim narrows it across the bend, which brings its centre back near
// its corners' mean without new quads. A move is kept only if it harms
// none of those quads: none may turn over, in face coordinates or in one
// of its triangles, gain an edge out of range, move its centre further than
// 0.003 from its corners' mean (unless it already lay further) or bend its
// normals more (unless they already bent less than a set limit), and their
// edges may grow only a little in all. So every other figure of the mesh
// stays as it was, or better.
#include "blob_face_tidy.h"

#include "blob_face_points.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <utility>

namespace {

// The range that the edges are brought into, a little inside 0.004-0.056:
// the centre points that the mesh finally gets sit a little off the ones
// estimated here.
constexpr double longest = 0.0545, shortest = 0.006;
constexpr double trueLongest = 0.056, trueShortest = 0.004;
constexpr double centreLimit = 0.003;
// Centres further than centreAim from their corners' mean count against a
// quad too, their excess weighing this much more than an edge's.
constexpr double centreAim = 0.0028, centreWeight = 20;
// Normals at a quad's centre and corners may turn this far apart (cosine of
// 10 degrees) before a move may not turn them further.
constexpr double normalLimit = 0.98481;
// How much longer a move may make the edges of its quads in all: a third of
// a mean edge. Without a limit the moves would lengthen far more edges than
// they shorten, and the mean edge would grow.
constexpr double lengthening = 0.01;
constexpr int passes = 40;

struct Sample {
    Point3 p, n;  // surface point and unit normal
};

Sample sampleAt(double u, double v) {
    Sample s;
    facePointAndNormal(&s.p, &s.n, u, v);
    return s;
}

double excess(double length) {
    double e = length > longest ? length - longest : (length < shortest ? shortest - length : 0);
    return e * e;
}

// How a quad looks: the squared excess of its sides and spokes and of its
// centre's distance from its corners' mean, its sides' and spokes' total
// length, how many of them lie out of range, that centre distance, the
// cosine between its centre's normal and its corners' mean normal, and
// whether it has turned over, in face coordinates or in one of its
// triangles.
struct Look {
    double cost = 0, centre = 0, normalCos = 1, total = 0;
    int outside = 0;
    bool turned = false;
};

struct Mesh {
    const std::vector<std::array<uint32_t, 4>>* quads;
    std::vector<double>*u, *v;
    std::vector<Sample> sample;
    std::vector<std::vector<uint32_t>> quadsAt;
    bool everyWay;
};

Look lookAt(const Mesh& m, uint32_t q) {
    const auto& c = (*m.quads)[q];
    const std::vector<double>&u = *m.u, &v = *m.v;
    Look look;
    Point3 mean{0, 0, 0}, normal{0, 0, 0};
    double cu = 0, cv = 0;
    for (int k = 0; k < 4; ++k) {
        const Sample& s = m.sample[c[k]];
        mean = {mean.x + s.p.x / 4, mean.y + s.p.y / 4, mean.z + s.p.z / 4};
        normal = {normal.x + s.n.x, normal.y + s.n.y, normal.z + s.n.z};
        cu += u[c[k]] / 4;
        cv += v[c[k]] / 4;
        uint32_t before = c[(k + 3) % 4], after = c[(k + 1) % 4];
        double turn = (u[after] - u[c[k]]) * (v[before] - v[c[k]]) -
                      (v[after] - v[c[k]]) * (u[before] - u[c[k]]);
        look.turned = look.turned || turn <= 0;
    }
    // The surface point over the middle of the quad's face coordinates
    // stands in for its centre point, which lies at least as close to the
    // corners' mean; only where it lies too far off is the centre point
    // itself found, which takes a few times longer.
    Sample centre = sampleAt(cu, cv);
    look.centre = pointDistance(centre.p, mean);
    if (look.centre > centreLimit) {
        double qu[4], qv[4];
        Point3 corner[4];
        for (int k = 0; k < 4; ++k) qu[k] = u[c[k]], qv[k] = v[c[k]], corner[k] = m.sample[c[k]].p;
        centre.p = quadCentre(qu, qv, corner);
        look.centre = pointDistance(centre.p, mean);
    }
    if (look.centre > centreAim)
        look.cost += centreWeight * (look.centre - centreAim) * (look.centre - centreAim);
    double l = std::sqrt(normal.x * normal.x + normal.y * normal.y + normal.z * normal.z);
    look.normalCos = (centre.n.x * normal.x + centre.n.y * normal.y + centre.n.z * normal.z) / l;
    for (int k = 0; k < 4; ++k) {
        // Each of the quad's four triangles around its centre must face the
        // way its corners' normals do, or it folds over.
        const Point3 &a = m.sample[c[k]].p, &b = m.sample[c[(k + 1) % 4]].p;
        Point3 ab{b.x - a.x, b.y - a.y, b.z - a.z},
            ac{centre.p.x - a.x, centre.p.y - a.y, centre.p.z - a.z};
        Point3 face{ab.y * ac.z - ab.z * ac.y, ab.z * ac.x - ab.x * ac.z,
                    ab.x * ac.y - ab.y * ac.x};
        look.turned = look.turned || face.x * normal.x + face.y * normal.y + face.z * normal.z <= 0;
        for (double length : {pointDistance(m.sample[c[k]].p, m.sample[c[(k + 1) % 4]].p),
                              pointDistance(m.sample[c[k]].p, centre.p)}) {
            look.cost += excess(length);
            look.total += length;
            look.outside += length > trueLongest || length < trueShortest;
        }
    }
    return look;
}

// A point and its mirror images: a member is carried from the eighth
// 0 <= lo <= hi by swapping (lo, hi) and then flipping the signs.
struct Member {
    uint32_t k;
    bool swap, flipU, flipV;
};

struct Orbit {
    std::vector<Member> members;
    double lo, hi;
};

void place(Mesh* m, const Orbit& orbit, double lo, double hi) {
    for (const Member& member : orbit.members) {
        double a = member.swap ? hi : lo, b = member.swap ? lo : hi;
        (*m->u)[member.k] = member.flipU ? -a : a;
        (*m->v)[member.k] = member.flipV ? -b : b;
        m->sample[member.k] = sampleAt((*m->u)[member.k], (*m->v)[member.k]);
    }
}

// Tries to move one orbit; returns whether it moved.
bool moveOrbit(Mesh* m, Orbit* orbit) {
    // The quads that the orbit's points belong to, and how they look now.
    std::vector<uint32_t> around;
    for (const Member& member : orbit->members)
        around.insert(around.end(), m->quadsAt[member.k].begin(), m->quadsAt[member.k].end());
    std::sort(around.begin(), around.end());
    around.erase(std::unique(around.begin(), around.end()), around.end());
    std::vector<Look> before(around.size());
    double cost = 0, total = 0;
    for (size_t i = 0; i < around.size(); ++i) {
        before[i] = lookAt(*m, around[i]);
        cost += before[i].cost;
        total += before[i].total;
    }
    if (cost == 0) return false;

    // Which way the orbit may move: along the border, along a mirror line,
    // or freely.
    bool onMidLine = orbit->lo == 0, onDiagonal = orbit->lo == orbit->hi, onBorder = orbit->hi == 1;
    double dirs[2][2];
    int freedom = 0;
    if (onDiagonal) {
        dirs[freedom][0] = dirs[freedom][1] = std::sqrt(0.5);
        ++freedom;
    } else {
        if (!onMidLine) dirs[freedom][0] = 1, dirs[freedom][1] = 0, ++freedom;
        if (!onBorder) dirs[freedom][0] = 0, dirs[freedom][1] = 1, ++freedom;
    }
    // How far a step may reach: a quarter of the nearest neighbour's
    // distance in face coordinates.
    double reach = 1;
    const Member& first = orbit->members[0];
    for (uint32_t q : m->quadsAt[first.k])
        for (uint32_t k : (*m->quads)[q])
            if (k != first.k)
                reach = std::min(reach, std::hypot((*m->u)[k] - (*m->u)[first.k],
                                                   (*m->v)[k] - (*m->v)[first.k]));
    reach *= 0.25;

    auto costAt = [&](double lo, double hi) {
        place(m, *orbit, lo, hi);
        double sum = 0;
        for (uint32_t q : around) sum += lookAt(*m, q).cost;
        return sum;
    };
    const double h = reach * 1e-3;
    double slope[2] = {0, 0}, size = 0;
    for (int d = 0; d < freedom; ++d) {
        slope[d] = (costAt(orbit->lo + h * dirs[d][0], orbit->hi + h * dirs[d][1]) - cost) / h;
        size += slope[d] * slope[d];
    }
    size = std::sqrt(size);
    if (size == 0) {
        place(m, *orbit, orbit->lo, orbit->hi);
        return false;
    }
    // Down the slope first; where that harms a quad and an edge lies out of
    // range, each of eight directions in turn: the slope may point where a
    // quad with a corner almost straight would turn over.
    std::vector<std::array<double, 2>> ways = {{-slope[0] / size, -slope[1] / size}};
    bool outside = false;
    for (const Look& look : before) outside = outside || look.outside > 0;
    for (int w = 0; w < 8 * (outside && m->everyWay); ++w) {
        double angle = w * std::atan(1.0);
        if (freedom == 2)
            ways.push_back({std::cos(angle), std::sin(angle)});
        else if (w < 2)
            ways.push_back({w ? -1.0 : 1.0, 0});
    }
    for (const auto& way : ways)
        for (double step = reach; step > reach / 20; step /= 2) {
            double lo = orbit->lo, hi = orbit->hi;
            for (int d = 0; d < freedom; ++d) {
                lo += step * way[d] * dirs[d][0];
                hi += step * way[d] * dirs[d][1];
            }
            if (lo < 0 || hi > 1 || lo > hi) continue;
            place(m, *orbit, lo, hi);
            double after = 0, afterTotal = 0;
            bool harmless = true;
            for (size_t i = 0; i < around.size() && harmless; ++i) {
                Look look = lookAt(*m, around[i]);
                after += look.cost;
                afterTotal += look.total;
                harmless = !look.turned && look.outside <= before[i].outside &&
                           look.centre <= std::max(centreLimit, before[i].centre) &&
                           look.normalCos >= std::min(normalLimit, before[i].normalCos);
            }
            if (harmless && after < cost && afterTotal <= total + lengthening) {
                orbit->lo = lo;
                orbit->hi = hi;
                return true;
            }
        }
    place(m, *orbit, orbit->lo, orbit->hi);
    return false;
}

}  // namespace

void tidyFaceEdges(const std::vector<std::array<uint32_t, 4>>& quads, std::vector<double>* u,
                   std::vector<double>* v, bool everyWay) {
    Mesh m{&quads, u, v, {}, {}, everyWay};
    const size_t count = u->size();
    m.sample.resize(count);
    m.quadsAt.resize(count);
    for (size_t k = 0; k < count; ++k) m.sample[k] = sampleAt((*u)[k], (*v)[k]);
    for (uint32_t q = 0; q < quads.size(); ++q)
        for (uint32_t k : quads[q]) m.quadsAt[k].push_back(q);

    std::map<std::pair<double, double>, Orbit> byPlace;
    for (uint32_t k = 0; k < count; ++k) {
        double a = std::fabs((*u)[k]), b = std::fabs((*v)[k]);
        bool swap = a > b;
        Orbit& orbit = byPlace[{swap ? b : a, swap ? a : b}];
        orbit.lo = swap ? b : a;
        orbit.hi = swap ? a : b;
        orbit.members.push_back({k, swap, (*u)[k] < 0, (*v)[k] < 0});
    }
    std::vector<Orbit> orbits;
    std::vector<uint32_t> orbitOf(count);
    for (auto& entry : byPlace) {
        for (const Member& member : entry.second.members)
            orbitOf[member.k] = uint32_t(orbits.size());
        orbits.push_back(entry.second);
    }
    // An orbit's move depends only on the corners of its points' quads: it
    // is tried again only once one of those has moved.
    std::vector<char> stale(orbits.size(), 1);
    for (int pass = 0; pass < passes; ++pass) {
        int moved = 0;
        for (size_t o = 0; o < orbits.size(); ++o) {
            Orbit& orbit = orbits[o];
            bool fixed = (orbit.lo == orbit.hi && (orbit.lo == 0 || orbit.hi == 1)) ||
                         (orbit.lo == 0 && orbit.hi == 1);
            if (fixed || !stale[o]) continue;
            stale[o] = 0;
            if (!moveOrbit(&m, &orbit)) continue;
            ++moved;
            for (const Member& member : orbit.members)
                for (uint32_t q : m.quadsAt[member.k])
                    for (uint32_t k : quads[q]) stale[orbitOf[k]] = 1;
        }
        if (!moved) break;
    }
}
