// The generated ring mesh against its measurements: counts, a closed
// genus-1 surface wound outwards, the axis normals, the quarter-turn
// symmetry about Y, the extents and outline, the bare tube, the crests, the
// lobe profile, the quads' centre points and edges, and the drawn order.
#include <gtest/gtest.h>
#include <meshoptimizer.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <unordered_map>

#include "mesh_checks.h"

namespace {

const double pi = 3.14159265358979323846;
const double degree = pi / 180.0;
const double lobeLineRadius = 10.449;

const MeshFile& ring() {
    static MeshFile mesh;
    static bool loaded = loadMeshFile(meshPath("ring.mesh"), &mesh);
    EXPECT_TRUE(loaded) << meshPath("ring.mesh");
    return mesh;
}

double stationAngle(int k) { return 16.875 + 22.5 * k; }
double lobeAngle(int k, int side) { return 22.5 - 45.0 * k + 180.0 * side; }

// Casts rays from the lobes' centre line across the tube: the distance along
// the ray at ring angle theta and tube angle phi (degrees) to the surface.
// Triangles are bucketed by the ring angle of their first corner.
class TubeRayCaster {
  public:
    explicit TubeRayCaster(const MeshFile& m) : mesh_(m), buckets_(bucketCount) {
        for (size_t t = 0; t < m.indexCount / 3; ++t) {
            MeshVec a = meshPosition(m, m.entries[3 * t]);
            buckets_[bucketOf(std::atan2(a.z, a.x) / degree)].push_back(uint32_t(t));
        }
    }

    double distance(double theta, double phi) const {
        MeshVec e = {std::cos(theta * degree), 0.0, std::sin(theta * degree)};
        MeshVec origin = {lobeLineRadius * e.x, 0.0, lobeLineRadius * e.z};
        MeshVec dir = {std::cos(phi * degree) * e.x, std::sin(phi * degree),
                       std::cos(phi * degree) * e.z};
        double best = -1.0;
        int centre = bucketOf(theta);
        for (int b = centre - 2; b <= centre + 2; ++b) {
            for (uint32_t t : buckets_[(b + bucketCount) % bucketCount]) {
                double hit = rayTriangle(origin, dir, t);
                if (hit > 0 && (best < 0 || hit < best)) best = hit;
            }
        }
        return best;
    }

  private:
    static const int bucketCount = 720;
    static int bucketOf(double angle) {
        int b = int(std::floor(angle / (360.0 / bucketCount)));
        return ((b % bucketCount) + bucketCount) % bucketCount;
    }
    double rayTriangle(MeshVec o, MeshVec d, uint32_t t) const {
        MeshVec a = meshPosition(mesh_, mesh_.entries[3 * t]);
        MeshVec e1 = meshSub(meshPosition(mesh_, mesh_.entries[3 * t + 1]), a);
        MeshVec e2 = meshSub(meshPosition(mesh_, mesh_.entries[3 * t + 2]), a);
        MeshVec p = meshCross(d, e2);
        double det = meshDot(e1, p);
        if (std::fabs(det) < 1e-14) return -1;
        MeshVec s = meshSub(o, a);
        double u = meshDot(s, p) / det;
        if (u < 0 || u > 1) return -1;
        MeshVec q = meshCross(s, e1);
        double v = meshDot(d, q) / det;
        if (v < 0 || u + v > 1) return -1;
        return meshDot(e2, q) / det;
    }
    const MeshFile& mesh_;
    std::vector<std::vector<uint32_t>> buckets_;
};

const TubeRayCaster& caster() {
    static TubeRayCaster c(ring());
    return c;
}

// The mean surface distance over all 16 stations, both lobes and both signs
// of each offset, as the lobe profile is given.
double meanLobeDistance(double along, double around) {
    double sum = 0;
    int n = 0;
    for (int k = 0; k < 16; ++k)
        for (int side = 0; side < 2; ++side)
            for (int s1 = -1; s1 <= 1; s1 += 2)
                for (int s2 = -1; s2 <= 1; s2 += 2) {
                    sum += caster().distance(stationAngle(k) + s1 * along,
                                             lobeAngle(k, side) + s2 * around);
                    ++n;
                }
    return sum / n;
}

TEST(RingMesh, CountsAndIndexRange) {
    const MeshFile& m = ring();
    EXPECT_EQ(m.vertexCount, 98304u);
    EXPECT_EQ(m.indexCount, 589824u);
    EXPECT_EQ(m.entries.size(), size_t(m.indexCount));
    EXPECT_LT(*std::max_element(m.entries.begin(), m.entries.end()), m.vertexCount);
}

TEST(RingMesh, ClosedTorusWoundOutwards) {
    const MeshFile& m = ring();
    EXPECT_TRUE(edgesSharedByTwo(m));
    EXPECT_EQ(eulerCharacteristic(m), 0);
    // More than the bare tube of radius 0.45 holds, less than one of 0.5:
    // the lobes cover a small part of it.
    double volume = enclosedVolume(m);
    EXPECT_GT(volume, 2 * pi * lobeLineRadius * pi * 0.45 * 0.45);
    EXPECT_LT(volume, 2 * pi * lobeLineRadius * pi * 0.5 * 0.5);
    EXPECT_TRUE(faceNormalsAgreeWithStored(m));
    EXPECT_TRUE(normalsFollowConvention(m));
}

// Ring angle in [0, 90) after the last multiple of 90 degrees.
double quarterAngle(MeshVec p) {
    double a = std::atan2(p.z, p.x) / degree;
    return a - 90.0 * std::floor(a / 90.0);
}

// The axis normals come out of the shape: the tube's top and bottom lines are
// level wherever no lobe reaches them, which after each multiple of 90
// degrees is 9.84 to 46.41 degrees, where the lobes point sideways; midway
// between the two stations whose lobes point up and down (73.125 degrees)
// their tails cancel; and the rim is level at the four axis points.
TEST(RingMesh, AxisNormalsOnTheBareTopBottomAndRim) {
    const MeshFile& m = ring();
    size_t stretch = 0, midway = 0, horizontal = 0, elsewhere = 0;
    for (uint32_t v = 0; v < m.vertexCount; ++v) {
        const float* rec = &m.vertices[size_t(v) * 6];
        MeshVec p = meshPosition(m, v);
        double a = quarterAngle(p);
        if (std::fabs(rec[4]) == 1000000.0f) {
            EXPECT_EQ(rec[4] > 0, rec[1] > 0);  // away from the tube
            if (a >= 9.84 && a <= 46.41) {
                ++stretch;
                EXPECT_NEAR(std::fabs(p.y), 0.4514, 0.001) << "at " << a << " degrees";
            } else if (std::fabs(a - 73.125) < 0.01) {
                ++midway;
                EXPECT_NEAR(std::fabs(p.y), 0.4614, 0.001);
            } else {
                ++elsewhere;
            }
        }
        if (std::fabs(rec[3]) == 1000000.0f || std::fabs(rec[5]) == 1000000.0f) {
            // On an axis, outermost or innermost, pointing away from the tube.
            ++horizontal;
            double rho = std::hypot(p.x, p.z);
            EXPECT_TRUE(std::fabs(p.x) < 1e-4 || std::fabs(p.z) < 1e-4);
            EXPECT_LT(std::fabs(p.y), 1e-6);
            double outward = (p.x * rec[3] + p.z * rec[5]) / rho;
            EXPECT_EQ(outward > 0, rho > lobeLineRadius);
        }
    }
    // 52 ring lines on each of the 8 top and bottom stretches.
    EXPECT_EQ(stretch, 416u);
    EXPECT_EQ(midway, 8u);
    EXPECT_EQ(elsewhere, 0u);
    EXPECT_EQ(horizontal, 8u);
}

TEST(RingMesh, QuarterTurnAboutYMapsVerticesOntoThemselves) {
    const MeshFile& m = ring();
    const double cell = 1e-3;
    std::unordered_map<int64_t, std::vector<uint32_t>> grid;
    auto key = [&](double x, double y, double z) {
        int64_t i = int64_t(std::floor(x / cell)) + (1 << 20),
                j = int64_t(std::floor(y / cell)) + (1 << 20),
                k = int64_t(std::floor(z / cell)) + (1 << 20);
        return (i << 42) | (j << 21) | k;
    };
    for (uint32_t v = 0; v < m.vertexCount; ++v) {
        MeshVec p = meshPosition(m, v);
        grid[key(p.x, p.y, p.z)].push_back(v);
    }
    size_t unmatched = 0;
    for (uint32_t v = 0; v < m.vertexCount; ++v) {
        MeshVec p = meshPosition(m, v);
        MeshVec r = {-p.z, p.y, p.x};  // a quarter turn about Y
        bool found = false;
        for (int dx = -1; dx <= 1 && !found; ++dx)
            for (int dy = -1; dy <= 1 && !found; ++dy)
                for (int dz = -1; dz <= 1 && !found; ++dz) {
                    auto it = grid.find(key(r.x + dx * cell, r.y + dy * cell, r.z + dz * cell));
                    if (it == grid.end()) continue;
                    for (uint32_t w : it->second)
                        if (meshLength(meshSub(meshPosition(m, w), r)) <= 1e-4) found = true;
                }
        if (!found) ++unmatched;
    }
    EXPECT_EQ(unmatched, 0u);
}

TEST(RingMesh, ExtentsAndOutline) {
    const MeshFile& m = ring();
    double lo[3] = {1e9, 1e9, 1e9}, hi[3] = {-1e9, -1e9, -1e9};
    for (uint32_t v = 0; v < m.vertexCount; ++v) {
        const float* p = &m.vertices[size_t(v) * 6];
        for (int k = 0; k < 3; ++k) {
            lo[k] = std::min(lo[k], double(p[k]));
            hi[k] = std::max(hi[k], double(p[k]));
        }
    }
    EXPECT_NEAR(lo[0], -10.8815, 0.01);
    EXPECT_NEAR(hi[0], 10.8815, 0.01);
    EXPECT_NEAR(lo[2], -10.8815, 0.01);
    EXPECT_NEAR(hi[2], 10.8815, 0.01);
    EXPECT_NEAR(lo[1], -0.7138, 0.01);
    EXPECT_NEAR(hi[1], 0.7138, 0.01);
    std::printf("extent x %.4f to %.4f, y %.4f to %.4f, z %.4f to %.4f\n", lo[0], hi[0], lo[1],
                hi[1], lo[2], hi[2]);

    // Near each station: stations whose lobes point sideways set the width
    // of the outline, those whose lobes point up and down its thickness.
    for (int k = 0; k < 16; ++k) {
        double rhoMin = 1e9, rhoMax = 0, yMax = 0;
        for (uint32_t v = 0; v < m.vertexCount; ++v) {
            MeshVec p = meshPosition(m, v);
            double theta = std::atan2(p.z, p.x) / degree;
            double off = std::remainder(theta - stationAngle(k), 360.0);
            if (std::fabs(off) > 3.0) continue;
            double rho = std::hypot(p.x, p.z);
            rhoMin = std::min(rhoMin, rho);
            rhoMax = std::max(rhoMax, rho);
            yMax = std::max(yMax, std::fabs(p.y));
        }
        std::printf("station %2d: %.4f to %.4f from the axis, |y| up to %.4f\n", k, rhoMin, rhoMax,
                    yMax);
        if (k % 4 < 2) {
            EXPECT_NEAR(rhoMax, 11.161, 0.01) << "station " << k;
            EXPECT_NEAR(rhoMin, 9.737, 0.01) << "station " << k;
        } else {
            EXPECT_NEAR(yMax, 0.714, 0.01) << "station " << k;
        }
    }
}

TEST(RingMesh, BareTubeMidwayBetweenStations) {
    for (int k = 0; k < 16; ++k) {
        double theta = stationAngle(k) + 11.25, sum = 0;
        for (int a = 0; a < 72; ++a) sum += caster().distance(theta, a * 5.0);
        EXPECT_NEAR(sum / 72, 0.45, 0.01) << "after station " << k;
    }
}

TEST(RingMesh, CrestsAtEveryStation) {
    for (int k = 0; k < 16; ++k)
        for (int side = 0; side < 2; ++side)
            EXPECT_NEAR(caster().distance(stationAngle(k), lobeAngle(k, side)), 0.753, 0.01)
                << "station " << k << " lobe " << side;
    // Between the lobes of a station the tube is bare.
    for (int k = 0; k < 16; ++k)
        EXPECT_NEAR(caster().distance(stationAngle(k), lobeAngle(k, 0) + 90.0), 0.45, 0.02);
}

TEST(RingMesh, LobeProfile) {
    const double along[] = {0, 2, 4, 6, 8, 10, 11};
    const double around[] = {0, 15, 30, 45};
    const double table[4][7] = {{0.747, 0.735, 0.683, 0.551, 0.482, 0.465, 0.459},
                                {0.678, 0.655, 0.608, 0.520, 0.479, 0.462, 0.459},
                                {0.502, 0.498, 0.482, 0.473, 0.463, 0.458, 0.457},
                                {0.459, 0.459, 0.457, 0.454, 0.453, 0.454, 0.452}};
    // The measured table goes to the log beside the expected one.
    for (int r = 0; r < 4; ++r) {
        std::printf("lobe profile %2.0f deg around:", around[r]);
        for (int c = 0; c < 7; ++c) {
            double d = meanLobeDistance(along[c], around[r]);
            std::printf(" %.3f (%.3f)", d, table[r][c]);
            EXPECT_NEAR(d, table[r][c], 0.01)
                << along[c] << " deg along, " << around[r] << " deg around";
        }
        std::printf("\n");
    }
    // From 60 to 90 degrees around, the bare tube: 0.450, 0.450 to 0.452 at
    // 10 degrees along and 0.451 to 0.453 at 11, where the next station's
    // lobes begin.
    const double low[] = {0.450, 0.450, 0.450, 0.450, 0.450, 0.450, 0.451};
    const double high[] = {0.450, 0.450, 0.450, 0.450, 0.450, 0.452, 0.453};
    for (int c = 0; c < 7; ++c)
        for (double a = 60; a <= 90; a += 10) {
            double d = meanLobeDistance(along[c], a);
            EXPECT_GE(d, low[c] - 0.01) << along[c] << ", " << a;
            EXPECT_LE(d, high[c] + 0.01) << along[c] << ", " << a;
        }
}

// Each quad is four triangles around a centre point: a vertex of exactly
// four triangles, whose other corners are the quad's. The centre lies on the
// surface close to its corners' mean, and the triangles' edges are neither
// slivers nor long.
TEST(RingMesh, QuadsSplitAroundCentrePoints) {
    const MeshFile& m = ring();
    std::vector<int> uses(m.vertexCount, 0);
    for (size_t i = 0; i < m.indexCount; ++i) ++uses[m.entries[i]];
    std::vector<MeshVec> cornerSum(m.vertexCount, MeshVec{0, 0, 0});
    std::vector<int> cornerCount(m.vertexCount, 0);
    double shortest = 1e9, longest = 0;
    for (size_t t = 0; t < m.indexCount / 3; ++t) {
        for (int k = 0; k < 3; ++k) {
            uint32_t a = m.entries[3 * t + k], b = m.entries[3 * t + (k + 1) % 3];
            MeshVec pa = meshPosition(m, a), pb = meshPosition(m, b);
            double edge = meshLength(meshSub(pa, pb));
            shortest = std::min(shortest, edge);
            longest = std::max(longest, edge);
            // The edge leaving a centre point runs to the next corner.
            if (uses[a] == 4) {
                EXPECT_NE(uses[b], 4) << "two centre points adjacent";
                cornerSum[a] = {cornerSum[a].x + pb.x, cornerSum[a].y + pb.y,
                                cornerSum[a].z + pb.z};
                ++cornerCount[a];
            }
        }
    }
    size_t centres = 0, close = 0;
    for (uint32_t v = 0; v < m.vertexCount; ++v) {
        if (uses[v] != 4) continue;
        ++centres;
        EXPECT_EQ(cornerCount[v], 4);
        MeshVec mean = {cornerSum[v].x / 4, cornerSum[v].y / 4, cornerSum[v].z / 4};
        if (meshLength(meshSub(mean, meshPosition(m, v))) <= 0.003) ++close;
    }
    EXPECT_EQ(centres, 49152u);
    EXPECT_GE(double(close), 0.99 * double(centres));
    std::printf(
        "centre points within 0.003 of their corners' mean: %zu of %zu; edges %.4f to %.4f\n",
        close, centres, shortest, longest);
    EXPECT_GE(shortest, 0.011);
    EXPECT_LE(longest, 0.2);
}

// The drawn order keeps the vertex cache busy: with a 32-entry FIFO cache
// at most 0.57 vertices are transformed per triangle (0.5 at best).
TEST(RingMesh, VertexCacheOrder) {
    const MeshFile& m = ring();
    double acmr =
        meshopt_analyzeVertexCache(m.entries.data(), m.indexCount, m.vertexCount, 32, 0, 0).acmr;
    std::printf("ACMR (32-entry FIFO) %.3f\n", acmr);
    EXPECT_LE(acmr, 0.57);
}

}  // namespace
