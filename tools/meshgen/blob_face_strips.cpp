// The face grid crowds its lines onto the walls, but a grid line runs on
// across the whole face, and a cut that halves a pair of rows halves every
// quad along them, long or not. Both spend quads where none are needed. A
// strip instead follows the quads that need it: a ring of quads down a pit's
// wall, or a row of quads that are too long, and it closes on itself as
// soon as it can, so it costs about one quad for each quad it mends.
//
// A strip enters each of its quads through one side and leaves through
// another, at their midpoints. Through opposite sides it halves the quad;
// through neighbouring sides it turns, and the quad becomes three around a
// point at its middle, whose corner at the turn is then shared by five
// quads and the middle point by three.
//
// A quad needs halving where a side is longer than the edges may be, or
// where it bends so far that its centre point lies off its corners' mean or
// its normals there and at its corners disagree; then it is halved across
// the direction in which its normal turns most. Strips are found through
// every such side: around the nearest pit (a shortest path back to the
// side's other quad that winds once around the pit), and along the row of
// quads that need halving, closed by the shortest way back from one end to
// the other. Steps through quads that need halving cost little, steps that
// turn cost two quads, and sides too short to halve are closed. Strips that
// mend the worst quads are laid first; then those that add the fewest quads
// for each quad they mend, until the quad budget is spent.
#include "blob_face_strips.h"

#include "blob_face_points.h"
#include "blob_surface_field.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <queue>
#include <unordered_map>
#include <utility>

namespace {

constexpr double longSide = 0.0545;    // sides longer than this are halved
constexpr double shortestCut = 0.0095; // sides shorter than this are not
// A quad bends too far when its centre point lies further than this from
// its corners' mean, or when its normal there and its corners' mean normal
// are further apart than this (cosine of 10 degrees). The centre limit sits
// a little inside the 0.003 the mesh keeps to: the points slide afterwards.
constexpr double centreLimit = 0.0027, normalLimit = 0.98481;
// A step that halves a quad in need costs this much less than the quad it
// adds; one through a side shorter than shortSide this much more, since
// halving it spends a quad and leaves short edges.
constexpr double mendBonus = 0.85, shortSide = 0.02, shortPenalty = 0.5;
// A strip may add at most this many quads for each quad it mends, and a
// search gives up past this cost. Measured: at 2.5 some of the budget is
// left and three fifths more edges stay out of range.
constexpr double worth = 3.5, maxCost = 60;
// The worst quads: those whose centre lies further than this from their
// corners' mean, or with a side longer than severeLength.
constexpr double severeCentre = 0.0045, severeLength = 0.07;
constexpr int passes = 16;
// Sides longer than splitAbove or shorter than splitBelow go where the
// quads that replace their two keep every new edge within splitShortest to
// splitLongest.
constexpr double splitAbove = 0.056, splitBelow = 0.004;
constexpr double splitShortest = 0.0045, splitLongest = 0.0545;

using Quad = std::array<uint32_t, 4>;

struct Point2 {
    double u, v;
};

// One step of a strip: the quad, and the sides it enters and leaves by.
struct Step {
    uint32_t quad;
    int in, out;
};

uint64_t edgeKey(uint32_t a, uint32_t b) {
    return a < b ? (uint64_t(a) << 32 | b) : (uint64_t(b) << 32 | a);
}

struct EdgeSides {
    uint32_t quad[2] = {UINT32_MAX, UINT32_MAX};
};

struct Face {
    std::vector<Quad>* quads;
    std::vector<uint32_t>* gridQuadOf;
    std::vector<char>* fresh;
    std::vector<double>*u, *v;
    std::vector<Point3> point, normal;
    std::unordered_map<uint64_t, EdgeSides> edges;
    std::map<std::pair<double, double>, uint32_t> pointAt;
    // Per quad: -2 not yet known, -1 bends little, else the sides (0 and 2,
    // or 1 and 3) that a strip through it must cross to halve it.
    std::vector<signed char> bend;
    std::vector<char> severe; // per quad: it bends far past the limits
    // While strips are searched the quads stay as they are, and each
    // side's neighbour, the side's index there and its length are kept.
    bool cached = false;
    std::vector<uint32_t> neighbour;
    std::vector<double> length;
};

void addQuadEdges(Face* f, uint32_t q) {
    const Quad& c = (*f->quads)[q];
    for (int k = 0; k < 4; ++k) {
        EdgeSides& e = f->edges[edgeKey(c[k], c[(k + 1) % 4])];
        e.quad[e.quad[0] == UINT32_MAX ? 0 : 1] = q;
    }
}

void removeQuadEdges(Face* f, uint32_t q) {
    const Quad& c = (*f->quads)[q];
    for (int k = 0; k < 4; ++k) {
        auto found = f->edges.find(edgeKey(c[k], c[(k + 1) % 4]));
        EdgeSides& e = found->second;
        if (e.quad[0] == q)
            e.quad[0] = e.quad[1];
        e.quad[1] = UINT32_MAX;
        if (e.quad[0] == UINT32_MAX)
            f->edges.erase(found);
    }
}

Point3 unitNormal(double pu, double pv) {
    Point3 p, n;
    facePointAndNormal(&p, &n, pu, pv);
    return n;
}

uint32_t addPoint(Face* f, double pu, double pv) {
    auto known = f->pointAt.find({pu, pv});
    if (known != f->pointAt.end())
        return known->second;
    uint32_t k = uint32_t(f->u->size());
    f->u->push_back(pu);
    f->v->push_back(pv);
    f->point.push_back(symmetricFacePoint(pu, pv));
    f->normal.push_back(unitNormal(pu, pv));
    f->pointAt.emplace(std::make_pair(pu, pv), k);
    return k;
}

double sideLength(const Face& f, uint32_t q, int k) {
    if (f.cached)
        return f.length[q * 4 + k];
    const Quad& c = (*f.quads)[q];
    return pointDistance(f.point[c[k]], f.point[c[(k + 1) % 4]]);
}

// The quad across side k of quad q, or UINT32_MAX.
uint32_t across(const Face& f, uint32_t q, int k) {
    if (f.cached)
        return f.neighbour[q * 4 + k];
    const Quad& c = (*f.quads)[q];
    auto found = f.edges.find(edgeKey(c[k], c[(k + 1) % 4]));
    if (found == f.edges.end())
        return UINT32_MAX;
    const EdgeSides& e = found->second;
    return e.quad[0] == q ? e.quad[1] : e.quad[0];
}

// The index of the side of quad q from corner a to corner b (either way).
int sideIndex(const Face& f, uint32_t q, uint32_t a, uint32_t b) {
    const Quad& c = (*f.quads)[q];
    for (int k = 0; k < 4; ++k)
        if ((c[k] == a && c[(k + 1) % 4] == b) || (c[k] == b && c[(k + 1) % 4] == a))
            return k;
    return -1;
}

// The side of the quad across side k of quad q by which a strip enters it.
int entrySide(const Face& f, uint32_t q, int k, uint32_t next) {
    const Quad& c = (*f.quads)[q];
    return sideIndex(f, next, c[k], c[(k + 1) % 4]);
}

Point2 centroid(const Face& f, uint32_t q) {
    Point2 c{0, 0};
    for (uint32_t k : (*f.quads)[q])
        c.u += (*f.u)[k] / 4, c.v += (*f.v)[k] / 4;
    return c;
}

// Whether quad q lies within the eighth 0 < u < v < 1, off its mirror lines.
bool inEighth(const Face& f, uint32_t q) {
    Point2 c = centroid(f, q);
    return c.u > 1e-9 && c.v - c.u > 1e-9;
}

int addedQuads(int in, int out) {
    return (in + 2) % 4 == out ? 1 : 2;
}

// Whether quad q bends too far, and if so which pair of its sides a strip
// must cross to halve it: the pair along which its corners' normals turn
// most. Its normal is taken at the middle of its face coordinates.
int bendOf(Face* f, uint32_t q) {
    if (f->bend.size() < f->quads->size()) {
        f->bend.resize(f->quads->size(), -2);
        f->severe.resize(f->quads->size(), 0);
    }
    if (f->bend[q] != -2)
        return f->bend[q];
    const Quad& c = (*f->quads)[q];
    Point2 middle = centroid(*f, q);
    double qu[4], qv[4];
    Point3 qp[4];
    for (int k = 0; k < 4; ++k)
        qu[k] = (*f->u)[c[k]], qv[k] = (*f->v)[c[k]], qp[k] = f->point[c[k]];
    Point3 centre = quadCentre(qu, qv, qp), n = unitNormal(middle.u, middle.v);
    Point3 mean{0, 0, 0}, sum{0, 0, 0};
    for (uint32_t k : c) {
        const Point3 &p = f->point[k], &m = f->normal[k];
        mean = {mean.x + p.x / 4, mean.y + p.y / 4, mean.z + p.z / 4};
        sum = {sum.x + m.x, sum.y + m.y, sum.z + m.z};
    }
    double cosine = (n.x * sum.x + n.y * sum.y + n.z * sum.z) /
                    std::sqrt(sum.x * sum.x + sum.y * sum.y + sum.z * sum.z);
    int result = -1;
    double offset = pointDistance(centre, mean);
    f->severe[q] = offset > severeCentre;
    if (offset > centreLimit || cosine < normalLimit) {
        auto turn = [&](uint32_t a, uint32_t b) {
            return pointDistance(f->normal[a], f->normal[b]);
        };
        double along0 = turn(c[0], c[1]) + turn(c[3], c[2]);
        double along1 = turn(c[1], c[2]) + turn(c[0], c[3]);
        result = along0 >= along1 ? 0 : 1;
    }
    f->bend[q] = (signed char)result;
    return result;
}

// Whether a step through quad q from side in to side out mends it: it
// halves a side that is too long, or halves the quad where it bends.
bool mends(const Face& f, uint32_t q, int in, int out) {
    int b = f.bend[q];
    return sideLength(f, q, out) > longSide || (b >= 0 && (in + 2) % 4 == out && in % 2 == b);
}

double stepCost(const Face& f, uint32_t q, int in, int out) {
    double cost = addedQuads(in, out);
    if (mends(f, q, in, out))
        cost -= mendBonus;
    else if (sideLength(f, q, out) < shortSide)
        cost += shortPenalty;
    return cost;
}

// Distances and back links of a shortest-path search, kept between
// searches; only the states a search touched are cleared for the next.
struct Distances {
    std::vector<double> dist;
    std::vector<uint32_t> from, touched;
    void reset(size_t states) {
        for (uint32_t t : touched)
            dist[t] = 1e300, from[t] = UINT32_MAX;
        touched.clear();
        if (dist.size() < states)
            dist.resize(states, 1e300), from.resize(states, UINT32_MAX);
    }
    void set(uint32_t s, double d, uint32_t f) {
        if (dist[s] == 1e300)
            touched.push_back(s);
        dist[s] = d;
        from[s] = f;
    }
};

using Entry = std::pair<double, uint32_t>;
using OpenStates = std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>>;

// Whether a strip has no quad twice: it would have to cut it twice over.
bool simple(std::vector<Step>* strip) {
    std::vector<uint32_t> seen;
    for (const Step& step : *strip)
        seen.push_back(step.quad);
    std::sort(seen.begin(), seen.end());
    if (std::adjacent_find(seen.begin(), seen.end()) == seen.end())
        return true;
    strip->clear();
    return false;
}

// The pits of the eighth: the radius field's local minima, on a grid of
// steps of 1/200 in face coordinates; one beside the diagonal lies on it.
std::vector<Point2> findPits() {
    const int n = 200;
    auto radius = [&](int i, int j) {
        double r, ru, rv;
        blobRadius(&r, &ru, &rv, double(i) / n, double(j) / n);
        return r;
    };
    std::vector<Point2> pits;
    for (int i = 2; i < n - 2; ++i)
        for (int j = i; j < n - 2; ++j) {
            double r = radius(i, j);
            bool lowest = true;
            for (int di = -1; di <= 1 && lowest; ++di)
                for (int dj = -1; dj <= 1 && lowest; ++dj)
                    lowest = !(di || dj) || radius(i + di, j + dj) >= r;
            Point2 p{double(i) / n, double(j) / n};
            if (j - i <= 2)
                p.u = p.v = (p.u + p.v) / 2;
            bool known = false;
            for (Point2 q : pits)
                known = known || std::hypot(q.u - p.u, q.v - p.v) < 0.1;
            if (lowest && !known)
                pits.push_back(p);
        }
    return pits;
}

// Whether the step from a to b crosses the ray from the pit towards +u.
bool crossesRay(Point2 a, Point2 b, Point2 pit) {
    if ((a.v > pit.v) == (b.v > pit.v))
        return false;
    double t = (pit.v - a.v) / (b.v - a.v);
    return a.u + t * (b.u - a.u) > pit.u;
}

// The cheapest strip through side k of quad a that goes once around the
// pit, or an empty one: a shortest path from the quad across the side back
// to a. A state is a quad, the side it was entered by and whether the path
// has crossed the ray from the pit an odd number of times.
std::vector<Step> findRing(const Face& f, uint32_t a, int k, const std::vector<char>& usable,
                           Point2 pit) {
    uint32_t b = across(f, a, k);
    int kb = entrySide(f, a, k, b);
    static Distances search;
    search.reset(f.quads->size() * 8);
    OpenStates open;
    bool closingFlips = crossesRay(centroid(f, a), centroid(f, b), pit);
    uint32_t start = (b * 4 + kb) * 2;
    search.set(start, 0, UINT32_MAX);
    open.push({0, start});
    double best = maxCost;
    uint32_t bestState = UINT32_MAX;
    while (!open.empty()) {
        auto [d, s] = open.top();
        open.pop();
        if (d > search.dist[s] || d >= best)
            continue;
        uint32_t q = s / 8;
        int in = int(s / 2 % 4), parity = int(s % 2);
        Point2 cq = centroid(f, q);
        for (int out = 0; out < 4; ++out) {
            if (out == in || sideLength(f, q, out) < shortestCut)
                continue;
            double nd = d + stepCost(f, q, in, out);
            if (q == a && out == k) {
                if ((parity ^ closingFlips) && nd < best)
                    best = nd, bestState = s;
                continue;
            }
            uint32_t next = across(f, q, out);
            if (next == UINT32_MAX || !usable[next] || next == b)
                continue;
            int np = parity ^ crossesRay(cq, centroid(f, next), pit);
            uint32_t ns = (next * 4 + entrySide(f, q, out, next)) * 2 + np;
            if (nd < search.dist[ns]) {
                search.set(ns, nd, s * 4 + out);
                open.push({nd, ns});
            }
        }
    }
    std::vector<Step> strip;
    if (bestState == UINT32_MAX)
        return strip;
    for (uint32_t s = bestState, out = k;;) {
        strip.push_back({s / 8, int(s / 2 % 4), int(out)});
        if (s == start)
            break;
        out = search.from[s] % 4;
        s = search.from[s] / 4;
    }
    std::reverse(strip.begin(), strip.end());
    simple(&strip);
    return strip;
}

// Quads in a row from quad q entered by side in, each next one across the
// longest side that leads to an unused quad and mends this one (going
// straight on preferred), until there is none.
void growRow(const Face& f, uint32_t q, int in, std::vector<char>* used, std::vector<Step>* row) {
    for (;;) {
        int best = -1;
        double bestLength = 0;
        for (int out = 0; out < 4; ++out) {
            uint32_t next = across(f, q, out);
            if (out == in || next == UINT32_MAX || (*used)[next] || !mends(f, q, in, out))
                continue;
            double length = sideLength(f, q, out) * ((in + 2) % 4 == out ? 1.2 : 1.0);
            if (f.bend[q] >= 0 && (in + 2) % 4 == out && in % 2 == f.bend[q])
                length = std::max(length, 2 * longSide);
            if (length > bestLength)
                best = out, bestLength = length;
        }
        row->push_back({q, in, best});
        if (best < 0)
            return;
        uint32_t next = across(f, q, best);
        in = entrySide(f, q, best, next);
        q = next;
        (*used)[q] = 1;
    }
}

// A strip along the row of quads in need through side k of quad a, closed
// by the cheapest way back from the row's one end to its other, or an
// empty one.
std::vector<Step> findRow(const Face& f, uint32_t a, int k, const std::vector<char>& usable) {
    uint32_t b = across(f, a, k);
    int kb = entrySide(f, a, k, b);
    std::vector<char> used(usable.size());
    for (size_t q = 0; q < used.size(); ++q)
        used[q] = !usable[q];
    used[a] = used[b] = 1;
    std::vector<Step> back, ahead;
    growRow(f, a, k, &used, &back);
    growRow(f, b, kb, &used, &ahead);
    const Step endAhead = ahead.back(), endBack = back.back();
    static Distances search;
    search.reset(f.quads->size() * 4);
    OpenStates open;
    uint32_t start = endAhead.quad * 4 + endAhead.in;
    search.set(start, 0, UINT32_MAX);
    open.push({0, start});
    double best = maxCost;
    uint32_t bestState = UINT32_MAX;
    int bestOut = -1, bestEntry = -1;
    while (!open.empty()) {
        auto [d, s] = open.top();
        open.pop();
        if (d > search.dist[s] || d >= best)
            continue;
        uint32_t q = s / 4;
        int in = int(s % 4);
        for (int out = 0; out < 4; ++out) {
            if (out == in || sideLength(f, q, out) < shortestCut)
                continue;
            double nd = d + stepCost(f, q, in, out);
            uint32_t next = across(f, q, out);
            if (next == UINT32_MAX)
                continue;
            int nin = entrySide(f, q, out, next);
            if (next == endBack.quad) {
                double total = nd + stepCost(f, next, nin, endBack.in);
                if (nin != endBack.in && total < best)
                    best = total, bestState = s, bestOut = out, bestEntry = nin;
                continue;
            }
            uint32_t ns = next * 4 + nin;
            if (!used[next] && nd < search.dist[ns]) {
                search.set(ns, nd, s * 4 + out);
                open.push({nd, ns});
            }
        }
    }
    std::vector<Step> strip;
    if (bestState == UINT32_MAX)
        return strip;
    std::vector<Step> way;
    for (uint32_t s = bestState, out = bestOut;;) {
        way.push_back({s / 4, int(s % 4), int(out)});
        if (s == start)
            break;
        out = search.from[s] % 4;
        s = search.from[s] / 4;
    }
    std::reverse(way.begin(), way.end());
    // Around: the row's end behind, the row behind back to a, across the
    // side, the row ahead, and the way back.
    strip.push_back({endBack.quad, bestEntry, endBack.in});
    for (size_t i = back.size() - 1; i-- > 0;)
        strip.push_back({back[i].quad, back[i].out, back[i].in});
    strip.insert(strip.end(), ahead.begin(), ahead.end() - 1);
    strip.insert(strip.end(), way.begin(), way.end());
    simple(&strip);
    return strip;
}

// The face coordinates of a point carried to its mirror image m: across
// the diagonal (m & 4), then across the mid-lines (m & 1, m & 2).
std::pair<double, double> image(double pu, double pv, int m) {
    double a = m & 4 ? pv : pu, b = m & 4 ? pu : pv;
    return {m & 1 ? -a : a, m & 2 ? -b : b};
}

// The strip's mirror image m, step by step, in the quads as they are now.
bool mirrorStrip(const Face& f, const std::vector<Step>& strip, int m, std::vector<Step>* out) {
    out->clear();
    for (const Step& step : strip) {
        const Quad& c = (*f.quads)[step.quad];
        Quad ic;
        for (int k = 0; k < 4; ++k) {
            auto found = f.pointAt.find(image((*f.u)[c[k]], (*f.v)[c[k]], m));
            if (found == f.pointAt.end())
                return false;
            ic[k] = found->second;
        }
        auto e = f.edges.find(edgeKey(ic[0], ic[1]));
        if (e == f.edges.end())
            return false;
        Quad want = ic;
        std::sort(want.begin(), want.end());
        uint32_t q = UINT32_MAX;
        for (uint32_t candidate : e->second.quad) {
            if (candidate == UINT32_MAX)
                continue;
            Quad have = (*f.quads)[candidate];
            std::sort(have.begin(), have.end());
            if (have == want)
                q = candidate;
        }
        if (q == UINT32_MAX)
            return false;
        out->push_back({q, sideIndex(f, q, ic[step.in], ic[(step.in + 1) % 4]),
                        sideIndex(f, q, ic[step.out], ic[(step.out + 1) % 4])});
    }
    return true;
}

// Cuts the quads of a closed strip: new points at the midpoints of the
// sides it crosses and at the middle of the quads where it turns.
void layStrip(Face* f, const std::vector<Step>& strip) {
    const size_t n = strip.size();
    const std::vector<double>&u = *f->u, &v = *f->v;
    std::vector<uint32_t> mid(n);
    for (size_t i = 0; i < n; ++i) {
        const Quad& c = (*f->quads)[strip[i].quad];
        uint32_t p = c[strip[i].out], r = c[(strip[i].out + 1) % 4];
        mid[i] = addPoint(f, (u[p] + u[r]) / 2, (v[p] + v[r]) / 2);
    }
    for (size_t i = 0; i < n; ++i) {
        const Step& step = strip[i];
        Quad c = (*f->quads)[step.quad];
        uint32_t mIn = mid[(i + n - 1) % n], mOut = mid[i];
        std::vector<Quad> pieces;
        if ((step.in + 2) % 4 == step.out) {
            int k = step.in;
            pieces = {{c[k], mIn, mOut, c[(k + 3) % 4]},
                      {mIn, c[(k + 1) % 4], c[(k + 2) % 4], mOut}};
        } else {
            // Sides a and a + 1 meet at corner a + 1, where the strip turns.
            bool forward = (step.in + 1) % 4 == step.out;
            int a = forward ? step.in : step.out;
            uint32_t m1 = forward ? mIn : mOut, m2 = forward ? mOut : mIn;
            uint32_t x = addPoint(f, canonicalSum(u[c[0]], u[c[1]], u[c[2]], u[c[3]]) / 4,
                                  canonicalSum(v[c[0]], v[c[1]], v[c[2]], v[c[3]]) / 4);
            pieces = {{c[a], m1, x, c[(a + 3) % 4]},
                      {m1, c[(a + 1) % 4], m2, x},
                      {x, m2, c[(a + 2) % 4], c[(a + 3) % 4]}};
        }
        removeQuadEdges(f, step.quad);
        f->bend[step.quad] = -2;
        (*f->quads)[step.quad] = pieces[0];
        (*f->fresh)[step.quad] = 1;
        addQuadEdges(f, step.quad);
        for (size_t p = 1; p < pieces.size(); ++p) {
            uint32_t q = uint32_t(f->quads->size());
            f->quads->push_back(pieces[p]);
            f->gridQuadOf->push_back((*f->gridQuadOf)[step.quad]);
            f->fresh->push_back(1);
            addQuadEdges(f, q);
        }
    }
}

// A strip found in the eighth, with its mirror images and what it costs.
struct Candidate {
    std::vector<std::vector<Step>> images;
    std::vector<std::pair<uint32_t, Quad>> quadsBefore;
    int added = 0, mended = 0;
    double ratio = 0;
    bool severe = false;
};

bool makeCandidate(const Face& f, const std::vector<Step>& strip, Candidate* c) {
    if (strip.empty())
        return false;
    c->images.assign(8, {});
    c->images[0] = strip;
    for (int m = 1; m < 8; ++m)
        if (!mirrorStrip(f, strip, m, &c->images[m]))
            return false;
    for (const Step& step : strip) {
        c->quadsBefore.push_back({step.quad, (*f.quads)[step.quad]});
        c->added += 8 * addedQuads(step.in, step.out);
        bool mended = mends(f, step.quad, step.in, step.out);
        c->mended += 8 * mended;
        c->severe =
            c->severe ||
            (mended && (f.severe[step.quad] || sideLength(f, step.quad, step.out) > severeLength));
    }
    c->ratio = c->mended ? double(c->added) / c->mended : 1e300;
    return c->ratio <= worth;
}

// Keeps, while no quad changes, each side's neighbour and length and each
// quad's bend.
void cacheSides(Face* f) {
    const size_t count = f->quads->size();
    f->cached = false;
    f->neighbour.resize(count * 4);
    f->length.resize(count * 4);
    for (uint32_t q = 0; q < count; ++q) {
        bendOf(f, q);
        for (int k = 0; k < 4; ++k) {
            f->neighbour[q * 4 + k] = across(*f, q, k);
            f->length[q * 4 + k] = sideLength(*f, q, k);
        }
    }
    f->cached = true;
}

// Each point's place and normal, where each point lies, and each side's
// quads.
void openFace(Face* f) {
    for (size_t k = 0; k < f->u->size(); ++k) {
        f->point.push_back(symmetricFacePoint((*f->u)[k], (*f->v)[k]));
        f->normal.push_back(unitNormal((*f->u)[k], (*f->v)[k]));
        f->pointAt.emplace(std::make_pair((*f->u)[k], (*f->v)[k]), uint32_t(k));
    }
    for (uint32_t q = 0; q < f->quads->size(); ++q)
        addQuadEdges(f, q);
}

// How well the pieces would lie: their longest new side or spoke, or
// infinity where one turns over in face coordinates, has a new edge out of
// range or a centre too far from its corners' mean. Sides between two
// points below firstNew are the hexagon's own, which stay as they were.
double splitLook(const Face& f, const std::vector<Quad>& pieces, uint32_t firstNew) {
    double longest = 0;
    for (const Quad& piece : pieces) {
        double qu[4], qv[4];
        Point3 corner[4];
        for (int k = 0; k < 4; ++k) {
            uint32_t a = piece[k];
            qu[k] = (*f.u)[a], qv[k] = (*f.v)[a], corner[k] = f.point[a];
        }
        Point3 centre = quadCentre(qu, qv, corner), mean{0, 0, 0};
        for (int k = 0; k < 4; ++k) {
            int before = (k + 3) % 4, after = (k + 1) % 4;
            double turn = (qu[after] - qu[k]) * (qv[before] - qv[k]) -
                          (qv[after] - qv[k]) * (qu[before] - qu[k]);
            if (turn <= 0)
                return 1e300;
            mean = {mean.x + corner[k].x / 4, mean.y + corner[k].y / 4, mean.z + corner[k].z / 4};
            bool newSide = piece[k] >= firstNew || piece[after] >= firstNew;
            for (double length : {newSide ? pointDistance(corner[k], corner[after]) : 0.01,
                                  pointDistance(corner[k], centre)}) {
                if (length < splitShortest || length > splitLongest)
                    return 1e300;
                longest = std::max(longest, length);
            }
        }
        if (pointDistance(centre, mean) > centreLimit)
            return 1e300;
    }
    return longest;
}

// A way to split the hexagon h[0..5]: its pieces, corners numbered 0-5 for
// the hexagon's points and 6, 7 for new ones, and where the new points lie.
struct SplitWay {
    std::vector<std::array<int, 4>> pieces;
    std::vector<Point2> middles;
};

// The ways tried: three quads around one new point, joined to every other
// corner of the hexagon, at places around the hexagon's mean; or, where the
// hexagon is too long for that, four quads around two new points, each
// joined to three corners in a row.
std::vector<SplitWay> splitWays(const Point2 h[6]) {
    Point2 mean{0, 0};
    double reach = 0;
    for (int k = 0; k < 6; ++k)
        mean.u += h[k].u / 6, mean.v += h[k].v / 6;
    for (int k = 0; k < 6; ++k)
        reach = std::max(reach, std::hypot(h[k].u - mean.u, h[k].v - mean.v));
    std::vector<SplitWay> ways;
    for (int c = 1; c < 3; ++c)
        ways.push_back({{{c, c + 1, c + 2, c + 3}, {c + 3, (c + 4) % 6, (c + 5) % 6, c}}, {}});
    for (int i = -3; i <= 3; ++i)
        for (int j = -3; j <= 3; ++j)
            for (int first = 0; first < 2; ++first) {
                SplitWay way;
                for (int p = 0; p < 3; ++p) {
                    int at = first + 2 * p;
                    way.pieces.push_back({at % 6, (at + 1) % 6, (at + 2) % 6, 6});
                }
                way.middles = {{mean.u + reach * i / 8, mean.v + reach * j / 8}};
                ways.push_back(way);
            }
    for (int c = 0; c < 3; ++c)
        for (int s = 0; s < 25; ++s) {
            // Each new point lies part of the way from the hexagon's mean to
            // the mean of its three corners.
            double t[2] = {0.3 + 0.1 * (s % 5), 0.3 + 0.1 * (s / 5)};
            SplitWay way;
            way.pieces = {{c, c + 1, c + 2, 6},
                          {c + 3, (c + 4) % 6, (c + 5) % 6, 7},
                          {c + 2, c + 3, 7, 6},
                          {(c + 5) % 6, c, 6, 7}};
            for (int m = 0; m < 2; ++m) {
                Point2 corners{0, 0};
                for (int k = 0; k < 3; ++k)
                    corners.u += h[(c + 3 * m + k) % 6].u / 3,
                        corners.v += h[(c + 3 * m + k) % 6].v / 3;
                way.middles.push_back(
                    {mean.u + t[m] * (corners.u - mean.u), mean.v + t[m] * (corners.v - mean.v)});
            }
            ways.push_back(way);
        }
    return ways;
}

// Splits the side from p0 to p1, which lies within the eighth, and its
// seven mirror images, if that leaves all their quads in range and the
// face within quadLimit quads; returns whether it did.
bool splitSide(Face* f, uint32_t p0, uint32_t p1, size_t quadLimit) {
    auto e = f->edges.find(edgeKey(p0, p1));
    if (e == f->edges.end() || e->second.quad[1] == UINT32_MAX)
        return false;
    uint32_t a = e->second.quad[0], b = e->second.quad[1];
    if (!inEighth(*f, a) || !inEighth(*f, b))
        return false;
    // The hexagon around both quads, counter-clockwise from one end of the
    // side: A runs x0, x1, then its far corners; B runs x1, x0, then its own.
    const Quad &qa = (*f->quads)[a], &qb = (*f->quads)[b];
    int ka = sideIndex(*f, a, p0, p1), kb = sideIndex(*f, b, p0, p1);
    uint32_t h[8] = {qa[ka],           qb[(kb + 2) % 4], qb[(kb + 3) % 4],
                     qa[(ka + 1) % 4], qa[(ka + 2) % 4], qa[(ka + 3) % 4]};
    Point2 hexagon[6];
    for (int k = 0; k < 6; ++k)
        hexagon[k] = {(*f->u)[h[k]], (*f->v)[h[k]]};

    // Each way is tried with its new points at the end of the face's
    // points; the one whose longest new edge is shortest is kept, and a way
    // with fewer quads before any with more.
    const uint32_t firstNew = uint32_t(f->u->size());
    h[6] = firstNew, h[7] = firstNew + 1;
    f->u->resize(firstNew + 2), f->v->resize(firstNew + 2);
    f->point.resize(firstNew + 2), f->normal.resize(firstNew + 2);
    const SplitWay* best = nullptr;
    double bestLook = 1e300;
    const std::vector<SplitWay> ways = splitWays(hexagon);
    for (const SplitWay& way : ways) {
        if (best && best->pieces.size() < way.pieces.size())
            break;
        if (f->quads->size() + 8 * (way.pieces.size() - 2) > quadLimit)
            continue;
        for (size_t m = 0; m < way.middles.size(); ++m) {
            (*f->u)[firstNew + m] = way.middles[m].u, (*f->v)[firstNew + m] = way.middles[m].v;
            f->point[firstNew + m] = symmetricFacePoint(way.middles[m].u, way.middles[m].v);
        }
        std::vector<Quad> pieces;
        for (const auto& piece : way.pieces)
            pieces.push_back({h[piece[0]], h[piece[1]], h[piece[2]], h[piece[3]]});
        double look = splitLook(*f, pieces, firstNew);
        if (look < bestLook)
            bestLook = look, best = &way;
    }
    f->u->resize(firstNew), f->v->resize(firstNew);
    f->point.resize(firstNew), f->normal.resize(firstNew);
    if (!best)
        return false;
    for (const Point2& middle : best->middles)
        if (f->pointAt.count({middle.u, middle.v}))
            return false;

    // The images: their points, and the two quads each replaces.
    std::vector<Quad> images[8];
    uint32_t replaced[8][2];
    for (int m = 0; m < 8; ++m) {
        uint32_t to[8];
        for (int k = 0; k < 6; ++k) {
            auto found = f->pointAt.find(image(hexagon[k].u, hexagon[k].v, m));
            if (found == f->pointAt.end())
                return false;
            to[k] = found->second;
        }
        auto side = f->edges.find(edgeKey(to[0], to[3]));
        if (side == f->edges.end() || side->second.quad[1] == UINT32_MAX)
            return false;
        replaced[m][0] = side->second.quad[0];
        replaced[m][1] = side->second.quad[1];
    }
    for (int m = 0; m < 8; ++m) {
        uint32_t to[8];
        for (int k = 0; k < 6; ++k)
            to[k] = f->pointAt.at(image(hexagon[k].u, hexagon[k].v, m));
        for (size_t k = 0; k < best->middles.size(); ++k) {
            auto at = image(best->middles[k].u, best->middles[k].v, m);
            to[6 + k] = addPoint(f, at.first, at.second);
        }
        // A mirror that reverses the face's orientation reverses the quads'.
        bool reversed = (((m & 1) != 0) != ((m & 2) != 0)) != ((m & 4) != 0);
        for (const auto& piece : best->pieces) {
            Quad q;
            for (int k = 0; k < 4; ++k)
                q[reversed ? 3 - k : k] = to[piece[k]];
            images[m].push_back(q);
        }
    }
    for (int m = 0; m < 8; ++m)
        for (size_t p = 0; p < images[m].size(); ++p) {
            uint32_t q = p < 2 ? replaced[m][p] : uint32_t(f->quads->size());
            if (p < 2) {
                removeQuadEdges(f, q);
                (*f->quads)[q] = images[m][p];
                (*f->fresh)[q] = 1;
            } else {
                f->quads->push_back(images[m][p]);
                f->gridQuadOf->push_back((*f->gridQuadOf)[replaced[m][0]]);
                f->fresh->push_back(1);
            }
            addQuadEdges(f, q);
        }
    return true;
}

} // namespace

void layFaceStrips(std::vector<Quad>* quads, std::vector<uint32_t>* gridQuadOf,
                   std::vector<char>* fresh, std::vector<double>* u, std::vector<double>* v,
                   size_t quadLimit) {
    Face f{quads, gridQuadOf, fresh, u, v, {}, {}, {}, {}, {}, {}, false, {}, {}};
    fresh->assign(quads->size(), 0);
    openFace(&f);
    const std::vector<Point2> pits = findPits();

    // First only the strips that mend the worst quads, pass after pass while
    // any are laid, so that the budget never leaves those unmended; then all.
    bool severeOnly = true;
    for (int pass = 0; pass < passes; ++pass) {
        cacheSides(&f);
        std::vector<char> usable(quads->size());
        for (uint32_t q = 0; q < quads->size(); ++q)
            usable[q] = inEighth(f, q);
        // Every side of the eighth through which a strip would mend a quad
        // starts a search.
        std::vector<Candidate> candidates;
        for (const auto& entry : f.edges) {
            const EdgeSides& e = entry.second;
            if (e.quad[1] == UINT32_MAX || !usable[e.quad[0]] || !usable[e.quad[1]])
                continue;
            uint32_t p0 = uint32_t(entry.first >> 32), p1 = uint32_t(entry.first);
            uint32_t a = e.quad[0];
            int k = sideIndex(f, a, p0, p1);
            double length = pointDistance(f.point[p0], f.point[p1]);
            bool start = length > longSide, worst = length > severeLength;
            for (uint32_t q : e.quad) {
                bool across = f.bend[q] >= 0 && sideIndex(f, q, p0, p1) % 2 == f.bend[q];
                start = start || across;
                worst = worst || (across && f.severe[q]);
            }
            if (!start || (severeOnly && !worst))
                continue;
            Point2 middle{((*u)[p0] + (*u)[p1]) / 2, ((*v)[p0] + (*v)[p1]) / 2};
            const Point2* nearest = nullptr;
            double nearestDistance = 0.3; // pits further off are not this side's
            for (const Point2& p : pits) {
                double d = std::hypot(p.u - middle.u, p.v - middle.v);
                if (d < nearestDistance)
                    nearest = &p, nearestDistance = d;
            }
            // A ring around a pit on the diagonal would cross the mirror line.
            Candidate ring, row;
            if (nearest && nearest->u != nearest->v &&
                makeCandidate(f, findRing(f, a, k, usable, *nearest), &ring))
                candidates.push_back(std::move(ring));
            if (makeCandidate(f, findRow(f, a, k, usable), &row))
                candidates.push_back(std::move(row));
        }
        f.cached = false;

        // Strips that mend the worst quads first, then the cheapest for what
        // they mend; a strip whose quads an earlier one has cut waits for the
        // next pass.
        std::stable_sort(candidates.begin(), candidates.end(),
                         [](const Candidate& x, const Candidate& y) {
                             return x.severe != y.severe ? x.severe : x.ratio < y.ratio;
                         });
        int laid = 0;
        bool full = false;
        for (const Candidate& c : candidates) {
            bool current = true;
            for (const auto& before : c.quadsBefore)
                current = current && (*quads)[before.first] == before.second;
            if (!current || (severeOnly && !c.severe))
                continue;
            if (quads->size() + size_t(c.added) > quadLimit) {
                full = true;
                continue;
            }
            for (const auto& each : c.images)
                layStrip(&f, each);
            ++laid;
        }
        if (full || (!laid && !severeOnly))
            break;
        severeOnly = severeOnly && laid;
    }
}

void mendFaceSides(std::vector<Quad>* quads, std::vector<uint32_t>* gridQuadOf,
                   std::vector<char>* fresh, std::vector<double>* u, std::vector<double>* v,
                   size_t quadLimit) {
    Face f{quads, gridQuadOf, fresh, u, v, {}, {}, {}, {}, {}, {}, false, {}, {}};
    fresh->resize(quads->size(), 0);
    openFace(&f);
    // The sides out of range, furthest out first.
    std::vector<std::pair<double, uint64_t>> sides;
    for (const auto& entry : f.edges) {
        uint32_t p0 = uint32_t(entry.first >> 32), p1 = uint32_t(entry.first);
        double length = pointDistance(f.point[p0], f.point[p1]);
        double out = std::max(length - splitAbove, splitBelow - length);
        if (out > 0)
            sides.push_back({-out, entry.first});
    }
    std::sort(sides.begin(), sides.end());
    for (const auto& side : sides)
        splitSide(&f, uint32_t(side.second >> 32), uint32_t(side.second), quadLimit);
}
