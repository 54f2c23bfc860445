// The parts of qorv-bench's shading measure that need no GL: the comparison
// of a picture with the reference's over the blob's coverage, and the dense
// reference of the blob that it compares with.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "blob_reference.h"
#include "shading_compare.h"

namespace {

struct Pictures {
    int width, height;
    std::vector<uint8_t> rgba, mask, referenceRgba, referenceMask;
    Pictures(int w, int h)
        : width(w), height(h), rgba(size_t(w) * h * 4, 0), mask(size_t(w) * h, 0),
          referenceRgba(size_t(w) * h * 4, 0), referenceMask(size_t(w) * h, 0) {}
    size_t at(int x, int y) const { return size_t(y) * width + x; }
};

ShadingFigures compare(const Pictures& p) {
    ShadingFigures f;
    compareShading(&f, p.width, p.height, p.rgba, p.mask, p.referenceRgba, p.referenceMask);
    return f;
}

// The reference covers x 5..34 and the picture x 6..35, rows 5..24 of a
// 40 x 30 picture: 620 pixels in either, 322 at least 3 inside both
// outlines (x 9..31, y 8..21). Off by 12 in a block of 20 interior pixels
// (red by 3, green by 12: the larger counts), by 20 along the picture's
// outline column x = 6, and by 200 outside both, which does not count.
TEST(ShadingCompare, FiguresOverTheCoverageOfEither) {
    Pictures p(40, 30);
    for (int y = 5; y <= 24; ++y)
        for (int x = 5; x <= 35; ++x) {
            p.referenceMask[p.at(x, y)] = x <= 34;
            p.mask[p.at(x, y)] = x >= 6;
        }
    for (size_t i = 0; i < p.rgba.size(); i += 4)
        for (int c = 0; c < 3; ++c) p.rgba[i + c] = p.referenceRgba[i + c] = uint8_t(10 * (c + 1));
    for (int y = 10; y <= 14; ++y)
        for (int x = 10; x <= 13; ++x)
            p.rgba[4 * p.at(x, y)] += 3, p.rgba[4 * p.at(x, y) + 1] += 12;
    for (int y = 5; y <= 24; ++y) p.rgba[4 * p.at(6, y) + 2] += 20;
    p.rgba[0] = 210;
    ShadingFigures f = compare(p);
    EXPECT_DOUBLE_EQ(f.mean, (20 * 12 + 20 * 20) / 620.0);
    EXPECT_EQ(f.p99, 20);  // 600 of the 620 are off by 12 or less
    EXPECT_DOUBLE_EQ(f.over8, 40 / 620.0);
    EXPECT_DOUBLE_EQ(f.over8Interior, 20 / 322.0);
    // Off by 8 at most: no pixel counts as off.
    for (int y = 10; y <= 14; ++y)
        for (int x = 10; x <= 13; ++x) p.rgba[4 * p.at(x, y) + 1] -= 4;
    for (int y = 5; y <= 24; ++y) p.rgba[4 * p.at(6, y) + 2] -= 12;
    f = compare(p);
    EXPECT_EQ(f.p99, 8);
    EXPECT_EQ(f.over8, 0);
    EXPECT_EQ(f.over8Interior, 0);
}

// A blob that fills the whole picture has no outline there: its edge
// pixels are interior. Nothing covered gives zeros, not a division by 0.
TEST(ShadingCompare, PictureEdgeIsNoOutlineAndEmptyCoverageIsZero) {
    Pictures p(10, 10);
    std::fill(p.mask.begin(), p.mask.end(), 1);
    std::fill(p.referenceMask.begin(), p.referenceMask.end(), 1);
    p.rgba[0] = 9;
    ShadingFigures f = compare(p);
    EXPECT_DOUBLE_EQ(f.over8Interior, 0.01);
    EXPECT_DOUBLE_EQ(f.over8, 0.01);
    std::fill(p.mask.begin(), p.mask.end(), 0);
    std::fill(p.referenceMask.begin(), p.referenceMask.end(), 0);
    f = compare(p);
    EXPECT_EQ(f.mean, 0);
    EXPECT_EQ(f.p99, 0);
    EXPECT_EQ(f.over8, 0);
    EXPECT_EQ(f.over8Interior, 0);
}

const DomainQuads& blobDomain() {
    static DomainQuads domain;
    if (domain.quads.empty()) meshBlobDomain(&domain);
    return domain;
}

// Split 3 x 3, the domain has nine times the quads; a side inside it is
// shared by two quads, and one on its rim by one quad whose ends both lie
// on the same mirror line, as do its new points, exactly.
TEST(BlobReference, DomainSplitSharesEverySide) {
    DomainQuads fine;
    refineBlobDomain(&fine, blobDomain(), 3);
    ASSERT_EQ(fine.quads.size(), 9 * blobDomain().quads.size());
    std::vector<std::pair<uint64_t, int>> sides;
    for (const auto& q : fine.quads)
        for (int k = 0; k < 4; ++k) sides.push_back({sideKey(q[k], q[(k + 1) % 4]), 0});
    std::sort(sides.begin(), sides.end());
    size_t rim = 0;
    for (size_t i = 0; i < sides.size();) {
        size_t j = i;
        while (j < sides.size() && sides[j].first == sides[i].first) ++j;
        ASSERT_LE(j - i, 2u);
        if (j - i == 1) {
            ++rim;
            const DomainPoint& a = fine.points[sides[i].first >> 32];
            const DomainPoint& b = fine.points[sides[i].first & 0xffffffff];
            ASSERT_NE(a.lines & b.lines, 0) << a.u << " " << a.v << " - " << b.u << " " << b.v;
            for (const DomainPoint* x : {&a, &b}) {
                EXPECT_TRUE(!(x->lines & onMidLine) || x->u == 0);
                EXPECT_TRUE(!(x->lines & onDiagonal) || x->u == x->v);
                EXPECT_TRUE(!(x->lines & onEdgeLine) || x->v == 1);
            }
        }
        i = j;
    }
    EXPECT_GT(rim, 0u);
}

// Split 2 x 2 and reflected: a closed sphere (every directed edge once,
// its reverse once; V - E + F = 2), four times the blob's quads, every
// normal a unit vector, and every corner of the blob among its vertices.
TEST(BlobReference, WholeBlobClosedWithTheBlobsCorners) {
    TriangleMesh reference;
    buildBlobReference(&reference, blobDomain(), 2);
    QuadSurface blob;
    reflectBlobDomain(&blob, blobDomain());
    ASSERT_EQ(reference.drawnIndexCount, 12 * 4 * blob.quads.size());
    std::vector<uint64_t> edges;
    const auto& idx = reference.indices;
    for (size_t i = 0; i < reference.drawnIndexCount; i += 3)
        for (int k = 0; k < 3; ++k)
            edges.push_back(uint64_t(idx[i + k]) << 32 | idx[i + (k + 1) % 3]);
    std::sort(edges.begin(), edges.end());
    EXPECT_EQ(std::adjacent_find(edges.begin(), edges.end()), edges.end());
    size_t unmatched = 0;
    for (uint64_t e : edges)
        unmatched += !std::binary_search(edges.begin(), edges.end(), e << 32 | e >> 32);
    EXPECT_EQ(unmatched, 0u);
    const long vertices = long(meshVertexCount(reference));
    EXPECT_EQ(vertices - long(edges.size() / 2) + long(reference.drawnIndexCount / 3), 2);
    std::vector<std::array<float, 3>> positions;
    for (long v = 0; v < vertices; ++v) {
        const float* r = &reference.vertices[size_t(v) * 6];
        EXPECT_NEAR(std::sqrt(r[3] * r[3] + r[4] * r[4] + r[5] * r[5]), 1.0, 1e-5);
        positions.push_back({r[0], r[1], r[2]});
    }
    std::sort(positions.begin(), positions.end());
    size_t missing = 0;
    for (const Point3& p : blob.points)
        missing += !std::binary_search(positions.begin(), positions.end(),
                                       std::array<float, 3>{float(p.x), float(p.y), float(p.z)});
    EXPECT_EQ(missing, 0u);
}

}  // namespace
