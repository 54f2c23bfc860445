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
#include "blob_face_quads.h"
#include "blob_surface_field.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <queue>
#include <utility>

namespace {

constexpr double longSide = 0.0545;     // sides longer than this are halved
constexpr double shortestCut = 0.0095;  // sides shorter than this are not
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

// One step of a strip: the quad, and the sides it enters and leaves by.
struct Step {
    uint32_t quad;
    int in, out;
};

struct Face : FaceQuads {
    // Per quad: -2 not yet known, -1 bends little, else the sides (0 and 2,
    // or 1 and 3) that a strip through it must cross to halve it.
    std::vector<signed char> bend;
    std::vector<char> severe;  // per quad: it bends far past the limits
    // While strips are searched the quads stay as they are, and each
    // side's neighbour, the side's index there and its length are kept.
    bool cached = false;
    std::vector<uint32_t> neighbour;
    std::vector<double> length;
};

double sideLength(const Face& f, uint32_t q, int k) {
    if (f.cached) return f.length[q * 4 + k];
    const Quad& c = (*f.quads)[q];
    return pointDistance(f.point[c[k]], f.point[c[(k + 1) % 4]]);
}

// The quad across side k of quad q, or UINT32_MAX.
uint32_t across(const Face& f, uint32_t q, int k) {
    if (f.cached) return f.neighbour[q * 4 + k];
    const Quad& c = (*f.quads)[q];
    auto found = f.edges.find(edgeKey(c[k], c[(k + 1) % 4]));
    if (found == f.edges.end()) return UINT32_MAX;
    const EdgeSides& e = found->second;
    return e.quad[0] == q ? e.quad[1] : e.quad[0];
}

// The side of the quad across side k of quad q by which a strip enters it.
int entrySide(const Face& f, uint32_t q, int k, uint32_t next) {
    const Quad& c = (*f.quads)[q];
    return sideIndex(f, next, c[k], c[(k + 1) % 4]);
}

int addedQuads(int in, int out) { return (in + 2) % 4 == out ? 1 : 2; }

// Whether quad q bends too far, and if so which pair of its sides a strip
// must cross to halve it: the pair along which its corners' normals turn
// most. Its normal is taken at the middle of its face coordinates.
int bendOf(Face* f, uint32_t q) {
    if (f->bend.size() < f->quads->size()) {
        f->bend.resize(f->quads->size(), -2);
        f->severe.resize(f->quads->size(), 0);
    }
    if (f->bend[q] != -2) return f->bend[q];
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
        for (uint32_t t : touched) dist[t] = 1e300, from[t] = UINT32_MAX;
        touched.clear();
        if (dist.size() < states) dist.resize(states, 1e300), from.resize(states, UINT32_MAX);
    }
    void set(uint32_t s, double d, uint32_t f) {
        if (dist[s] == 1e300) touched.push_back(s);
        dist[s] = d;
        from[s] = f;
    }
};

using Entry = std::pair<double, uint32_t>;
using OpenStates = std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>>;

// Whether a strip has no quad twice: it would have to cut it twice over.
bool simple(std::vector<Step>* strip) {
    std::vector<uint32_t> seen;
    for (const Step& step : *strip) seen.push_back(step.quad);
    std::sort(seen.begin(), seen.end());
    if (std::adjacent_find(seen.begin(), seen.end()) == seen.end()) return true;
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
            if (j - i <= 2) p.u = p.v = (p.u + p.v) / 2;
            bool known = false;
            for (Point2 q : pits) known = known || std::hypot(q.u - p.u, q.v - p.v) < 0.1;
            if (lowest && !known) pits.push_back(p);
        }
    return pits;
}

// Whether the step from a to b crosses the ray from the pit towards +u.
bool crossesRay(Point2 a, Point2 b, Point2 pit) {
    if ((a.v > pit.v) == (b.v > pit.v)) return false;
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
        if (d > search.dist[s] || d >= best) continue;
        uint32_t q = s / 8;
        int in = int(s / 2 % 4), parity = int(s % 2);
        Point2 cq = centroid(f, q);
        for (int out = 0; out < 4; ++out) {
            if (out == in || sideLength(f, q, out) < shortestCut) continue;
            double nd = d + stepCost(f, q, in, out);
            if (q == a && out == k) {
                if ((parity ^ closingFlips) && nd < best) best = nd, bestState = s;
                continue;
            }
            uint32_t next = across(f, q, out);
            if (next == UINT32_MAX || !usable[next] || next == b) continue;
            int np = parity ^ crossesRay(cq, centroid(f, next), pit);
            uint32_t ns = (next * 4 + entrySide(f, q, out, next)) * 2 + np;
            if (nd < search.dist[ns]) {
                search.set(ns, nd, s * 4 + out);
                open.push({nd, ns});
            }
        }
    }
    std::vector<Step> strip;
    if (bestState == UINT32_MAX) return strip;
    for (uint32_t s = bestState, out = k;;) {
        strip.push_back({s / 8, int(s / 2 % 4), int(out)});
        if (s == start) break;
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
            if (out == in || next == UINT32_MAX || (*used)[next] || !mends(f, q, in, out)) continue;
            double length = sideLength(f, q, out) * ((in + 2) % 4 == out ? 1.2 : 1.0);
            if (f.bend[q] >= 0 && (in + 2) % 4 == out && in % 2 == f.bend[q])
                length = std::max(length, 2 * longSide);
            if (length > bestLength) best = out, bestLength = length;
        }
        row->push_back({q, in, best});
        if (best < 0) return;
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
    for (size_t q = 0; q < used.size(); ++q) used[q] = !usable[q];
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
        if (d > search.dist[s] || d >= best) continue;
        uint32_t q = s / 4;
        int in = int(s % 4);
        for (int out = 0; out < 4; ++out) {
            if (out == in || sideLength(f, q, out) < shortestCut) continue;
            double nd = d + stepCost(f, q, in, out);
            uint32_t next = across(f, q, out);
            if (next == UINT32_MAX) continue;
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
    if (bestState == UINT32_MAX) return strip;
    std::vector<Step> way;
    for (uint32_t s = bestState, out = bestOut;;) {
        way.push_back({s / 4, int(s % 4), int(out)});
        if (s == start) break;
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

// The strip's mirror image m, step by step, in the quads as they are now.
bool mirrorStrip(const Face& f, const std::vector<Step>& strip, int m, std::vector<Step>* out) {
    out->clear();
    for (const Step& step : strip) {
        const Quad& c = (*f.quads)[step.quad];
        Quad ic;
        for (int k = 0; k < 4; ++k) {
            auto found = f.pointAt.find(mirrorImage((*f.u)[c[k]], (*f.v)[c[k]], m));
            if (found == f.pointAt.end()) return false;
            ic[k] = found->second;
        }
        auto e = f.edges.find(edgeKey(ic[0], ic[1]));
        if (e == f.edges.end()) return false;
        Quad want = ic;
        std::sort(want.begin(), want.end());
        uint32_t q = UINT32_MAX;
        for (uint32_t candidate : e->second.quad) {
            if (candidate == UINT32_MAX) continue;
            Quad have = (*f.quads)[candidate];
            std::sort(have.begin(), have.end());
            if (have == want) q = candidate;
        }
        if (q == UINT32_MAX) return false;
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
    if (strip.empty()) return false;
    c->images.assign(8, {});
    c->images[0] = strip;
    for (int m = 1; m < 8; ++m)
        if (!mirrorStrip(f, strip, m, &c->images[m])) return false;
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

}  // namespace

void layFaceStrips(std::vector<Quad>* quads, std::vector<uint32_t>* gridQuadOf,
                   std::vector<char>* fresh, std::vector<double>* u, std::vector<double>* v,
                   size_t quadLimit) {
    Face f;
    openFaceQuads(&f, quads, gridQuadOf, fresh, u, v);
    const std::vector<Point2> pits = findPits();

    // First only the strips that mend the worst quads, pass after pass while
    // any are laid, so that the budget never leaves those unmended; then all.
    bool severeOnly = true;
    for (int pass = 0; pass < passes; ++pass) {
        cacheSides(&f);
        std::vector<char> usable(quads->size());
        for (uint32_t q = 0; q < quads->size(); ++q) usable[q] = inEighth(f, q);
        // Every side of the eighth through which a strip would mend a quad
        // starts a search.
        std::vector<Candidate> candidates;
        for (const auto& entry : f.edges) {
            const EdgeSides& e = entry.second;
            if (e.quad[1] == UINT32_MAX || !usable[e.quad[0]] || !usable[e.quad[1]]) continue;
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
            if (!start || (severeOnly && !worst)) continue;
            Point2 middle{((*u)[p0] + (*u)[p1]) / 2, ((*v)[p0] + (*v)[p1]) / 2};
            const Point2* nearest = nullptr;
            double nearestDistance = 0.3;  // pits further off are not this side's
            for (const Point2& p : pits) {
                double d = std::hypot(p.u - middle.u, p.v - middle.v);
                if (d < nearestDistance) nearest = &p, nearestDistance = d;
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
            if (!current || (severeOnly && !c.severe)) continue;
            if (quads->size() + size_t(c.added) > quadLimit) {
                full = true;
                continue;
            }
            for (const auto& each : c.images) layStrip(&f, each);
            ++laid;
        }
        if (full || (!laid && !severeOnly)) break;
        severeOnly = severeOnly && laid;
    }
}
