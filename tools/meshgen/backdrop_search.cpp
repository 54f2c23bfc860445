// The annealing search for the backdrop's layout: which tiles each column
// holds and where exactly each point lies near its lattice point. It starts
// from a fixed seed and runs a fixed number of steps, so it finds the same
// layout every time.
#include <algorithm>
#include <cmath>

#include "backdrop_layout.h"
#include "seeded_random.h"

namespace {

const int searchSteps = 200000;
const double startTemperature = 2.0;
const double endTemperature = 0.001;
const double startHardWeight = 5.0;
const double endHardWeight = 1000.0;
const double coolingLog = 7.600902459542082;  // ln(startTemperature / endTemperature)
const double maxOffset = 0.67;                // from the lattice point
const double maxOffsetX = 0.45;               // keeps each row in order along x

// Points exactly on the lattice.
struct LatticePoint {
    int x, z;
};
const LatticePoint exactPoints[] = {{1, -1}, {5, 2}, {-3, 4}, {-6, -3}};

// The backdrop's extent. Four points are pinned on its edges and no point
// may leave it.
const double minX = -7.81836, maxX = 7.72347, minZ = -7.96289, maxZ = 7.69835;
struct PinnedPoint {
    int x, z;
    double dx, dz;
};
const PinnedPoint pinnedPoints[] = {{-8, -2, minX + 8, 0.12},
                                    {8, 3, maxX - 8, -0.1},
                                    {2, -8, 0.15, minZ + 8},
                                    {-4, 8, 0.05, maxZ - 8}};

struct Candidate {
    int row;   // the tile's upper row; the lower one is row - 1
    int a, b;  // positions of p in its row and of q in the row before
};

// Tiles a column may hold: both edges about one lattice step long (two
// across a missing point), sheared by at most one step, centred in the
// column on the bare lattice.
void listCandidates(std::vector<Candidate>* out, const BackdropLayout& l, int column) {
    out->clear();
    for (int r = 1; r < backdropRowCount; ++r) {
        for (int a = 0; a + 1 < backdropRowLength[r]; ++a) {
            int top = l.latticeX[l.rowStart[r] + a], topEnd = l.latticeX[l.rowStart[r] + a + 1];
            for (int b = 0; b + 1 < backdropRowLength[r - 1]; ++b) {
                int bottom = l.latticeX[l.rowStart[r - 1] + b],
                    bottomEnd = l.latticeX[l.rowStart[r - 1] + b + 1];
                if (std::abs(top - bottom) > 1 || topEnd - top > 2 || bottomEnd - bottom > 2)
                    continue;
                double mid = (top + topEnd + bottom + bottomEnd) / 4.0;
                if (mid < column - 8 || mid > column - 7) continue;
                out->push_back({r, a, b});
            }
        }
    }
}

struct Search {
    BackdropLayout layout;
    std::vector<Candidate> candidates[backdropColumnCount];
    std::vector<int> chosen[backdropColumnCount];  // candidate numbers, by increasing row
    bool fixed[backdropVertexCount];               // exact and pinned points stay where they are
};

void fillTiles(Search* s) {
    s->layout.tiles.clear();
    for (int c = 0; c < backdropColumnCount; ++c) {
        for (int k : s->chosen[c]) {
            const Candidate& t = s->candidates[c][size_t(k)];
            s->layout.tiles.push_back({uint32_t(s->layout.rowStart[t.row] + t.a),
                                       uint32_t(s->layout.rowStart[t.row - 1] + t.b)});
        }
    }
}

// e^-x from basic arithmetic only, so that the search takes the same path
// whatever the machine's maths library: halve x until small, sum the series,
// square back up.
double expNegative(double x) {
    if (x > 700.0) return 0.0;
    int halvings = 0;
    while (x > 0.01) {
        x *= 0.5;
        ++halvings;
    }
    double term = 1.0, sum = 1.0;
    for (int k = 1; k <= 6; ++k) {
        term *= -x / k;
        sum += term;
    }
    while (halvings-- > 0) sum *= sum;
    return sum;
}

// Metropolis: always downhill, uphill with probability e^(-rise / temperature).
bool accept(double cost, double next, double temperature, SeededRandom* random) {
    return next <= cost || randomUnit(random) < expNegative((next - cost) / temperature);
}

double relativeError(double value, double target, double tolerance) {
    double e = (value - target) / (target * tolerance);
    return e * e;
}

double score(const BackdropStats& s, double hard) {
    double cost = 0;
    // What must hold exactly.
    cost += hard * (s.badTiles + s.wrongFacing + std::abs(s.downTriangles - 7));
    cost += hard * (std::abs(s.offsetCount[0] - 92) + std::abs(s.offsetCount[1] - 38) +
                    std::abs(s.offsetCount[2] - 1) + s.offsetCount[3]);
    cost += hard * (s.rowsOutOfOrder + s.tilesOutsideColumn);
    cost += hard * (std::abs(s.usedVertices - 204) + std::abs(s.largestIndex - 276));
    cost += hard * std::abs(s.distinctCells - 127);
    // What should come close.
    cost += relativeError(s.meanTileArea, 0.53, 0.02) + relativeError(s.maxTileArea, 1.17, 0.03);
    cost += 0.2 * relativeError(s.minTileArea + 0.02, 0.022, 0.1);
    cost += relativeError(s.meanLatticeDistance, 0.28, 0.02) +
            relativeError(s.maxLatticeDistance, 0.67, 0.01);
    cost += relativeError(s.meanSliverEdge, 3.7, 0.02) + relativeError(s.maxSliverEdge, 14.4, 0.02);
    cost += relativeError(s.totalArea, 96.0, 0.02);
    cost += relativeError(-s.firstRowZ, 7.47, 0.005) + relativeError(s.lastRowZ, 7.46, 0.005);
    cost += 100.0 * s.rowStepOutside;
    return cost;
}

void startLayout(Search* s, SeededRandom* random) {
    initBackdropLattice(&s->layout);
    BackdropLayout& l = s->layout;
    for (int v = 0; v < backdropVertexCount; ++v) {
        s->fixed[v] = false;
        for (const LatticePoint& e : exactPoints)
            if (l.latticeX[v] == e.x && l.latticeZ[v] == e.z) s->fixed[v] = true;
        for (const PinnedPoint& p : pinnedPoints)
            if (l.latticeX[v] == p.x && l.latticeZ[v] == p.z) {
                l.dx[v] = p.dx;
                l.dz[v] = p.dz;
                s->fixed[v] = true;
            }
        if (s->fixed[v]) continue;
        // Within a disc, the edge rows and columns drawn inwards.
        const double radius = 0.42;
        do {
            l.dx[v] = radius * (2 * randomUnit(random) - 1);
            l.dz[v] = radius * (2 * randomUnit(random) - 1);
        } while (l.dx[v] * l.dx[v] + l.dz[v] * l.dz[v] > radius * radius);
        if (l.latticeZ[v] == -8) l.dz[v] = 0.3 + 0.3 * randomUnit(random);
        if (l.latticeZ[v] == 8) l.dz[v] = -0.3 - 0.3 * randomUnit(random);
        l.dx[v] = std::max(minX - l.latticeX[v], std::min(maxX - l.latticeX[v], l.dx[v]));
        l.dz[v] = std::max(minZ - l.latticeZ[v], std::min(maxZ - l.latticeZ[v], l.dz[v]));
    }
    for (int c = 0; c < backdropColumnCount; ++c) {
        listCandidates(&s->candidates[c], l, c);
        int n = backdropColumnTiles[c];
        s->chosen[c].clear();
        for (int t = 0; t < n; ++t) {
            int row = 1 + (t * (backdropRowCount - 1)) / n;
            for (size_t k = 0; k < s->candidates[c].size(); ++k)
                if (s->candidates[c][k].row == row) {
                    s->chosen[c].push_back(int(k));
                    break;
                }
        }
    }
}

// Gives one of a column's tiles another candidate, on a row pair the column
// does not use yet or in place of itself. False when the pick clashes.
bool moveTile(Search* s, SeededRandom* random, int column) {
    std::vector<int>& chosen = s->chosen[column];
    int slot = randomBelow(random, int(chosen.size()));
    int pick = randomBelow(random, int(s->candidates[column].size()));
    int row = s->candidates[column][size_t(pick)].row;
    for (size_t k = 0; k < chosen.size(); ++k)
        if (int(k) != slot && s->candidates[column][size_t(chosen[k])].row == row) return false;
    chosen[size_t(slot)] = pick;
    std::sort(chosen.begin(), chosen.end(), [&](int l, int r) {
        return s->candidates[column][size_t(l)].row < s->candidates[column][size_t(r)].row;
    });
    return true;
}

bool movePoint(Search* s, SeededRandom* random, int v) {
    if (s->fixed[v]) return false;
    BackdropLayout& l = s->layout;
    const double step = 0.12;
    double nx = l.dx[v] + step * (2 * randomUnit(random) - 1);
    double nz = l.dz[v] + step * (2 * randomUnit(random) - 1);
    if (std::fabs(nx) > maxOffsetX || nx * nx + nz * nz > maxOffset * maxOffset) return false;
    double x = l.latticeX[v] + nx, z = l.latticeZ[v] + nz;
    if (x < minX || x > maxX || z < minZ || z > maxZ) return false;
    l.dx[v] = nx;
    l.dz[v] = nz;
    return true;
}

}  // namespace

void searchBackdropLayout(BackdropLayout* out, uint64_t seed) {
    SeededRandom random;
    seedRandom(&random, seed);
    Search s;
    startLayout(&s, &random);
    fillTiles(&s);
    BackdropStats current, trial;
    measureBackdrop(&current, s.layout);

    for (int step = 0; step < searchSteps; ++step) {
        // Geometric cooling from startTemperature to endTemperature, while
        // the exact requirements weigh ever more: early on the search may
        // cross layouts that break them.
        double progress = double(step) / searchSteps;
        double temperature = startTemperature * expNegative(coolingLog * progress);
        double hard = startHardWeight + (endHardWeight - startHardWeight) * progress;
        double cost = score(current, hard);
        if (randomUnit(&random) < 0.3) {
            int column = randomBelow(&random, backdropColumnCount);
            std::vector<int> before = s.chosen[column];
            if (!moveTile(&s, &random, column)) continue;
            fillTiles(&s);
            measureBackdrop(&trial, s.layout);
            if (accept(cost, score(trial, hard), temperature, &random)) {
                current = trial;
            } else {
                s.chosen[column] = before;
                fillTiles(&s);
            }
        } else {
            int v = randomBelow(&random, backdropVertexCount);
            double oldX = s.layout.dx[v], oldZ = s.layout.dz[v];
            if (!movePoint(&s, &random, v)) continue;
            measureBackdrop(&trial, s.layout);
            if (accept(cost, score(trial, hard), temperature, &random)) {
                current = trial;
            } else {
                s.layout.dx[v] = oldX;
                s.layout.dz[v] = oldZ;
            }
        }
    }
    fillTiles(&s);
    *out = s.layout;
}
