// A side that strips leave out of range lies between two quads, whose six
// corners make a hexagon. Split again, that hexagon mends the side with few
// or no new quads: along another of its diagonals, into three quads around
// a new point joined to every other corner, or into four around two new
// points each joined to three corners in a row.
#include "blob_face_sides.h"

#include "blob_face_points.h"
#include "blob_face_quads.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace {

// Sides longer than splitAbove or shorter than splitBelow go where the
// quads that replace their two keep every new edge within splitShortest to
// splitLongest and their centres within splitCentre of their corners' mean,
// as the strips do.
constexpr double splitAbove = 0.056, splitBelow = 0.004;
constexpr double splitShortest = 0.0041, splitLongest = 0.0545;
constexpr double splitCentre = 0.003;

// A way to split the hexagon h[0..5]: its pieces, corners numbered 0-5 for
// the hexagon's points and 6, 7 for new ones, and where the new points lie.
struct SplitWay {
    std::vector<std::array<int, 4>> pieces;
    std::vector<Point2> middles;
};

// How well the way's pieces would lie, with h[k] the points that its
// corners number: their longest new side or spoke, or infinity where one
// turns over in face coordinates, has a new edge out of range or a centre
// too far from its corners' mean. The hexagon's own sides stay as they were.
double splitLook(const FaceQuads& f, const SplitWay& way, const uint32_t h[8]) {
    double longest = 0;
    for (const auto& piece : way.pieces) {
        double qu[4], qv[4];
        Point3 corner[4];
        for (int k = 0; k < 4; ++k) {
            uint32_t a = h[piece[k]];
            qu[k] = (*f.u)[a], qv[k] = (*f.v)[a], corner[k] = f.point[a];
        }
        Point3 centre = quadCentre(qu, qv, corner), mean{0, 0, 0};
        for (int k = 0; k < 4; ++k) {
            int before = (k + 3) % 4, after = (k + 1) % 4;
            double turn = (qu[after] - qu[k]) * (qv[before] - qv[k]) -
                          (qv[after] - qv[k]) * (qu[before] - qu[k]);
            if (turn <= 0) return 1e300;
            mean = {mean.x + corner[k].x / 4, mean.y + corner[k].y / 4, mean.z + corner[k].z / 4};
            int from = piece[k], to = piece[after];
            bool hexagonSide = from < 6 && to < 6 && ((from + 1) % 6 == to || (to + 1) % 6 == from);
            for (double length : {hexagonSide ? 0.01 : pointDistance(corner[k], corner[after]),
                                  pointDistance(corner[k], centre)}) {
                if (length < splitShortest || length > splitLongest) return 1e300;
                longest = std::max(longest, length);
            }
        }
        if (pointDistance(centre, mean) > splitCentre) return 1e300;
    }
    return longest;
}

// The ways tried, fewest quads first: two quads, the hexagon cut along one
// of the two diagonals that are not the side; three quads around one new
// point joined to every other corner of the hexagon, at places around the
// hexagon's mean; or, where the hexagon is too long for that, four quads
// around two new points, each joined to three corners in a row.
std::vector<SplitWay> splitWays(const Point2 h[6]) {
    Point2 mean{0, 0};
    double reach = 0;
    for (int k = 0; k < 6; ++k) mean.u += h[k].u / 6, mean.v += h[k].v / 6;
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
bool splitSide(FaceQuads* f, uint32_t p0, uint32_t p1, size_t quadLimit) {
    auto e = f->edges.find(edgeKey(p0, p1));
    if (e == f->edges.end() || e->second.quad[1] == UINT32_MAX) return false;
    uint32_t a = e->second.quad[0], b = e->second.quad[1];
    if (!inEighth(*f, a) || !inEighth(*f, b)) return false;
    // The hexagon around both quads, counter-clockwise from one end of the
    // side: A runs x0, x1, then its far corners; B runs x1, x0, then its own.
    const Quad &qa = (*f->quads)[a], &qb = (*f->quads)[b];
    int ka = sideIndex(*f, a, p0, p1), kb = sideIndex(*f, b, p0, p1);
    uint32_t h[8] = {qa[ka],           qb[(kb + 2) % 4], qb[(kb + 3) % 4],
                     qa[(ka + 1) % 4], qa[(ka + 2) % 4], qa[(ka + 3) % 4]};
    Point2 hexagon[6];
    for (int k = 0; k < 6; ++k) hexagon[k] = {(*f->u)[h[k]], (*f->v)[h[k]]};

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
        if (best && best->pieces.size() < way.pieces.size()) break;
        if (f->quads->size() + 8 * (way.pieces.size() - 2) > quadLimit) continue;
        for (size_t m = 0; m < way.middles.size(); ++m) {
            (*f->u)[firstNew + m] = way.middles[m].u, (*f->v)[firstNew + m] = way.middles[m].v;
            f->point[firstNew + m] = symmetricFacePoint(way.middles[m].u, way.middles[m].v);
        }
        double look = splitLook(*f, way, h);
        if (look < bestLook) bestLook = look, best = &way;
    }
    f->u->resize(firstNew), f->v->resize(firstNew);
    f->point.resize(firstNew), f->normal.resize(firstNew);
    if (!best) return false;
    for (const Point2& middle : best->middles)
        if (f->pointAt.count({middle.u, middle.v})) return false;

    // The images: their points, and the two quads each replaces.
    std::vector<Quad> images[8];
    uint32_t replaced[8][2], to[8][8];
    for (int m = 0; m < 8; ++m) {
        for (int k = 0; k < 6; ++k) {
            auto found = f->pointAt.find(mirrorImage(hexagon[k].u, hexagon[k].v, m));
            if (found == f->pointAt.end()) return false;
            to[m][k] = found->second;
        }
        auto side = f->edges.find(edgeKey(to[m][0], to[m][3]));
        if (side == f->edges.end() || side->second.quad[1] == UINT32_MAX) return false;
        replaced[m][0] = side->second.quad[0];
        replaced[m][1] = side->second.quad[1];
    }
    for (int m = 0; m < 8; ++m) {
        for (size_t k = 0; k < best->middles.size(); ++k) {
            auto at = mirrorImage(best->middles[k].u, best->middles[k].v, m);
            to[m][6 + k] = addPoint(f, at.first, at.second);
        }
        // A mirror that reverses the face's orientation reverses the quads'.
        bool reversed = (((m & 1) != 0) != ((m & 2) != 0)) != ((m & 4) != 0);
        for (const auto& piece : best->pieces) {
            Quad q;
            for (int k = 0; k < 4; ++k) q[reversed ? 3 - k : k] = to[m][piece[k]];
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

}  // namespace

void mendFaceSides(std::vector<Quad>* quads, std::vector<uint32_t>* gridQuadOf,
                   std::vector<char>* fresh, std::vector<double>* u, std::vector<double>* v,
                   size_t quadLimit) {
    FaceQuads f;
    openFaceQuads(&f, quads, gridQuadOf, fresh, u, v);
    // The sides out of range, furthest out first.
    std::vector<std::pair<double, uint64_t>> sides;
    for (const auto& entry : f.edges) {
        uint32_t p0 = uint32_t(entry.first >> 32), p1 = uint32_t(entry.first);
        double length = pointDistance(f.point[p0], f.point[p1]);
        double out = std::max(length - splitAbove, splitBelow - length);
        if (out > 0) sides.push_back({-out, entry.first});
    }
    std::sort(sides.begin(), sides.end());
    for (const auto& side : sides)
        splitSide(&f, uint32_t(side.second >> 32), uint32_t(side.second), quadLimit);
}
