#include "blob_face_quads.h"

#include "blob_face_points.h"

uint64_t edgeKey(uint32_t a, uint32_t b) {
    return a < b ? (uint64_t(a) << 32 | b) : (uint64_t(b) << 32 | a);
}

void addQuadEdges(FaceQuads* f, uint32_t q) {
    const Quad& c = (*f->quads)[q];
    for (int k = 0; k < 4; ++k) {
        EdgeSides& e = f->edges[edgeKey(c[k], c[(k + 1) % 4])];
        e.quad[e.quad[0] == UINT32_MAX ? 0 : 1] = q;
    }
}

void removeQuadEdges(FaceQuads* f, uint32_t q) {
    const Quad& c = (*f->quads)[q];
    for (int k = 0; k < 4; ++k) {
        auto found = f->edges.find(edgeKey(c[k], c[(k + 1) % 4]));
        EdgeSides& e = found->second;
        if (e.quad[0] == q) e.quad[0] = e.quad[1];
        e.quad[1] = UINT32_MAX;
        if (e.quad[0] == UINT32_MAX) f->edges.erase(found);
    }
}

Point3 unitNormal(double pu, double pv) {
    Point3 p, n;
    facePointAndNormal(&p, &n, pu, pv);
    return n;
}

uint32_t addPoint(FaceQuads* f, double pu, double pv) {
    auto known = f->pointAt.find({pu, pv});
    if (known != f->pointAt.end()) return known->second;
    uint32_t k = uint32_t(f->u->size());
    f->u->push_back(pu);
    f->v->push_back(pv);
    f->point.push_back(symmetricFacePoint(pu, pv));
    f->normal.push_back(unitNormal(pu, pv));
    f->pointAt.emplace(std::make_pair(pu, pv), k);
    return k;
}

int sideIndex(const FaceQuads& f, uint32_t q, uint32_t a, uint32_t b) {
    const Quad& c = (*f.quads)[q];
    for (int k = 0; k < 4; ++k)
        if ((c[k] == a && c[(k + 1) % 4] == b) || (c[k] == b && c[(k + 1) % 4] == a)) return k;
    return -1;
}

Point2 centroid(const FaceQuads& f, uint32_t q) {
    Point2 c{0, 0};
    for (uint32_t k : (*f.quads)[q]) c.u += (*f.u)[k] / 4, c.v += (*f.v)[k] / 4;
    return c;
}

bool inEighth(const FaceQuads& f, uint32_t q) {
    Point2 c = centroid(f, q);
    return c.u > 1e-9 && c.v - c.u > 1e-9;
}

std::pair<double, double> mirrorImage(double pu, double pv, int m) {
    double a = m & 4 ? pv : pu, b = m & 4 ? pu : pv;
    return {m & 1 ? -a : a, m & 2 ? -b : b};
}

void openFaceQuads(FaceQuads* f, std::vector<Quad>* quads, std::vector<uint32_t>* gridQuadOf,
                   std::vector<char>* fresh, std::vector<double>* u, std::vector<double>* v) {
    f->quads = quads, f->gridQuadOf = gridQuadOf, f->fresh = fresh, f->u = u, f->v = v;
    fresh->resize(quads->size(), 0);
    for (size_t k = 0; k < f->u->size(); ++k) {
        f->point.push_back(symmetricFacePoint((*f->u)[k], (*f->v)[k]));
        f->normal.push_back(unitNormal((*f->u)[k], (*f->v)[k]));
        f->pointAt.emplace(std::make_pair((*f->u)[k], (*f->v)[k]), uint32_t(k));
    }
    for (uint32_t q = 0; q < f->quads->size(); ++q) addQuadEdges(f, q);
}
