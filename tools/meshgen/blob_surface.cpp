// The blob: a closed, relief-covered surface with the symmetry of a cube,
// meshed on one 48th of it and reflected.
//
// The fundamental domain (blob_domain.h) gets a coarse, nearly even
// triangle mesh by isotropic remeshing; its triangles are paired into quads
// and split twice, so that nearly every corner is shared by four quads; the
// split quads then slide over the surface on springs that shrink them
// across tight bends, and a last optimisation-based smoothing moves the
// points of the few quads still past the mesh limits. The domain's mesh,
// reflected across the face's mirror lines and turned onto the six faces,
// closes up exactly, since every border point lies on its mirror plane.
#include "quad_surface.h"

#include "blob_domain.h"
#include "blob_settings.h"

#include <array>
#include <cstddef>
#include <map>
#include <utility>
#include <vector>

namespace {

// Rotations carrying the +X face onto the six faces: the identity, the two
// cyclic turns about (1, 1, 1), and each of those after a half turn about Z.
Point3 rotateToFace(int face, Point3 p) {
    if (face >= 3) p = {-p.x, -p.y, p.z};
    switch (face % 3) {
    case 1:
        return {p.z, p.x, p.y};
    case 2:
        return {p.y, p.z, p.x};
    default:
        return p;
    }
}

// The face's eight symmetries: across the diagonal (y <-> z), then across
// the mid-lines (y -> -y, z -> -z).
Point3 reflectInFace(int image, Point3 p) {
    if (image & 1) p = {p.x, p.z, p.y};
    if (image & 2) p.y = -p.y;
    if (image & 4) p.z = -p.z;
    return p;
}

bool reversesWinding(int image) {
    return ((image & 1) + (image >> 1 & 1) + (image >> 2 & 1)) % 2 == 1;
}

}  // namespace

void meshBlobDomain(DomainQuads* out) {
    DomainTriangles coarse;
    remeshBlobDomain(&coarse);
    pairAndSplit(out, coarse);
    relaxBlobDomain(out, 1, blobFirstSplitSweeps);
    splitQuads(out);
    relaxBlobDomain(out, 2, blobSecondSplitSweeps);
    smoothBlobDomain(out, blobSmoothingPasses);
}

void buildBlobSurface(QuadSurface* out) {
    DomainQuads mesh;
    meshBlobDomain(&mesh);
    reflectBlobDomain(out, mesh);
}

void reflectBlobDomain(QuadSurface* out, const DomainQuads& mesh) {
    const size_t n = mesh.points.size();
    std::vector<Point3> point(n), centre(mesh.quads.size());
    for (size_t i = 0; i < n; ++i)
        point[i] = domainSurfacePoint(mesh.points[i].u, mesh.points[i].v);
    for (size_t q = 0; q < mesh.quads.size(); ++q) {
        double u[4], v[4];
        Point3 p[4];
        for (int k = 0; k < 4; ++k) {
            int x = mesh.quads[q][k];
            u[k] = mesh.points[x].u, v[k] = mesh.points[x].v, p[k] = point[x];
        }
        centre[q] = domainQuadCentre(u, v, p);
    }

    out->points.clear();
    out->quads.clear();
    out->centres.clear();
    // The six bosses face exactly along their axes; a wall that happens to
    // face within 0.001 of one does not.
    out->axisNormalsOnAxesOnly = true;
    // Points on the mirror lines are shared with the neighbouring images,
    // whose copies coincide exactly.
    std::map<std::array<double, 3>, uint32_t> shared;
    std::vector<uint32_t> index(n);
    for (int face = 0; face < 6; ++face)
        for (int image = 0; image < 8; ++image) {
            for (size_t i = 0; i < n; ++i) {
                Point3 p = rotateToFace(face, reflectInFace(image, point[i]));
                uint32_t next = uint32_t(out->points.size());
                if (mesh.points[i].lines) {
                    auto found = shared.emplace(std::array<double, 3>{p.x, p.y, p.z}, next);
                    if (!found.second) {
                        index[i] = found.first->second;
                        continue;
                    }
                }
                index[i] = next;
                out->points.push_back(p);
            }
            auto place = [&](const std::array<int, 4>& c) {
                std::array<uint32_t, 4> q{index[c[0]], index[c[1]], index[c[2]], index[c[3]]};
                if (reversesWinding(image)) std::swap(q[1], q[3]);
                return q;
            };
            for (size_t q = 0; q < mesh.quads.size(); ++q) {
                out->quads.push_back(place(mesh.quads[q]));
                out->centres.push_back(rotateToFace(face, reflectInFace(image, centre[q])));
            }
        }
}
