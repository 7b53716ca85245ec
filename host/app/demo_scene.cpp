#include "host/app/demo_scene.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "geometry/mesh_shapes.h"

namespace zevkalon {

namespace {

constexpr double kCentre = 128.0;
constexpr double kAxes[3] = {68.0, 85.0, 60.0};

// A smooth (C1) wave of period 1 with values in -1 .. 1, shaped like a sine
// but built from a parabola so that no platform's libm enters the result.
double wave(double t) {
    const double x = 2.0 * (t - std::floor(t)) - 1.0;  // -1 .. 1
    return 4.0 * x * (1.0 - std::fabs(x));
}

// Relative radius change at unit direction d: three crossing wave trains
// give meandering ridges and valleys about 20 mm apart, 5 to 6 mm deep.
double folds(const double d[3]) {
    const double a = wave(3.2 * d[0] + 0.7 * d[1] + 0.11);
    const double b = wave(2.9 * d[1] - 0.8 * d[2] + 0.37);
    const double c = wave(3.4 * d[2] + 0.6 * d[0] + 0.53);
    return 0.085 * (a + b + c) / 3.0;
}

struct Point {
    double x, y, z;
};

// The vertex whose direction from the centre is closest to (dx, dy, dz).
std::int32_t vertexToward(const std::vector<Point>& directions, double dx, double dy, double dz) {
    const double length = std::sqrt(dx * dx + dy * dy + dz * dz);
    std::int32_t best = 0;
    double bestDot = -2.0;
    for (std::size_t v = 0; v < directions.size(); ++v) {
        const double dot = (directions[v].x * dx + directions[v].y * dy + directions[v].z * dz) / length;
        if (dot > bestDot) bestDot = dot, best = static_cast<std::int32_t>(v);
    }
    return best;
}

struct Shaft {
    Point base, axis;  // axis of unit length
    double radius;
};

// Voxels of a ball minus shafts, in storage order (i fastest).
void addBall(VoiData& voi, Point centre, double radius, const std::vector<Shaft>& shafts = {}) {
    const auto low = [](double value) { return static_cast<std::int32_t>(std::max(0.0, std::floor(value))); };
    const auto high = [](double value) { return static_cast<std::int32_t>(std::min(255.0, std::ceil(value))); };
    for (std::int32_t k = low(centre.z - radius); k <= high(centre.z + radius); ++k) {
        for (std::int32_t j = low(centre.y - radius); j <= high(centre.y + radius); ++j) {
            for (std::int32_t i = low(centre.x - radius); i <= high(centre.x + radius); ++i) {
                const double dx = i - centre.x, dy = j - centre.y, dz = k - centre.z;
                if (dx * dx + dy * dy + dz * dz > radius * radius) continue;
                bool cut = false;
                for (const Shaft& shaft : shafts) {
                    const double rx = i - shaft.base.x, ry = j - shaft.base.y, rz = k - shaft.base.z;
                    const double along = rx * shaft.axis.x + ry * shaft.axis.y + rz * shaft.axis.z;
                    const double ox = rx - along * shaft.axis.x, oy = ry - along * shaft.axis.y,
                                 oz = rz - along * shaft.axis.z;
                    if (ox * ox + oy * oy + oz * oz < shaft.radius * shaft.radius) cut = true;
                }
                if (!cut) voi.voxels.insert(voi.voxels.end(), {i, j, k});
            }
        }
    }
}

// Back into storage order (k slowest, i fastest) after several shapes.
void sortVoxels(VoiData& voi) {
    std::vector<std::array<std::int32_t, 3>> triples;
    for (std::size_t t = 0; t + 2 < voi.voxels.size(); t += 3) {
        triples.push_back({voi.voxels[t + 2], voi.voxels[t + 1], voi.voxels[t]});
    }
    std::sort(triples.begin(), triples.end());
    triples.erase(std::unique(triples.begin(), triples.end()), triples.end());
    voi.voxels.clear();
    for (const auto& t : triples) voi.voxels.insert(voi.voxels.end(), {t[2], t[1], t[0]});
}

VoiData namedVoi(const char* name, std::int32_t red, std::int32_t green, std::int32_t blue) {
    VoiData voi;
    voi.name = name;
    voi.color = red * 65536 + green * 256 + blue;
    return voi;
}

}  // namespace

DemoScene makeDemoScene() {
    DemoScene scene;
    tessarin::MeshData mesh = tessarin::makeIcosphere(6, 1.0f, 0.0f, 0.0f, 0.0f);
    std::vector<Point> directions(mesh.x.size());
    std::vector<Point> positions(mesh.x.size());
    for (std::size_t v = 0; v < mesh.x.size(); ++v) {
        const double d[3] = {mesh.x[v], mesh.y[v], mesh.z[v]};
        const double length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
        const double u[3] = {d[0] / length, d[1] / length, d[2] / length};
        directions[v] = {u[0], u[1], u[2]};
        const double r = 1.0 + folds(u);
        mesh.x[v] = static_cast<float>(kCentre + r * kAxes[0] * u[0]);
        mesh.y[v] = static_cast<float>(kCentre + r * kAxes[1] * u[1]);
        mesh.z[v] = static_cast<float>(kCentre + r * kAxes[2] * u[2]);
        positions[v] = {mesh.x[v], mesh.y[v], mesh.z[v]};
    }
    mesh.computeNormals();
    scene.surface.mesh = hostMesh(mesh);
    scene.surface.fileName = "tessarin_demo.srf";

    const auto at = [&](double dx, double dy, double dz) { return positions[vertexToward(directions, dx, dy, dz)]; };
    std::vector<VoiData>& vois = scene.volume.vois;

    VoiData pole = namedVoi("Occipital pole", 255, 128, 0);
    addBall(pole, at(0.0, -1.0, 0.15), 16.0);
    vois.push_back(pole);

    VoiData overlapA = namedVoi("Overlap A", 220, 40, 40);
    addBall(overlapA, at(0.75, 0.25, 0.6), 14.0);
    vois.push_back(overlapA);
    VoiData overlapB = namedVoi("Overlap B", 40, 90, 220);
    addBall(overlapB, at(0.6, 0.4, 0.7), 14.0);
    vois.push_back(overlapB);

    // Three shafts along the surface normal, 7 voxels from the ball's centre:
    // wide enough that no sample along a normal inside them meets the ball.
    VoiData ring = namedVoi("Ring with holes", 60, 180, 75);
    const std::int32_t middle = vertexToward(directions, -0.8, 0.2, 0.4);
    const Point centre = positions[static_cast<std::size_t>(middle)];
    std::vector<Shaft> shafts;
    const double offsets[3][3] = {{-0.8, 0.32, 0.4}, {-0.84, 0.2, 0.3}, {-0.76, 0.11, 0.48}};
    for (const auto& offset : offsets) {
        const std::size_t v = static_cast<std::size_t>(vertexToward(directions, offset[0], offset[1], offset[2]));
        shafts.push_back({positions[v], {mesh.nx[v], mesh.ny[v], mesh.nz[v]}, 3.0});
    }
    addBall(ring, centre, 18.0, shafts);
    vois.push_back(ring);

    VoiData pieces = namedVoi("Two pieces", 240, 50, 230);
    addBall(pieces, at(0.2, 0.9, 0.3), 10.0);
    addBall(pieces, at(-0.35, 0.85, -0.25), 7.0);
    sortVoxels(pieces);
    vois.push_back(pieces);

    VoiData deep = namedVoi("Deep nucleus", 70, 240, 240);
    addBall(deep, {kCentre, kCentre, kCentre}, 10.0);
    vois.push_back(deep);

    scene.volume.dims[0] = scene.volume.dims[1] = scene.volume.dims[2] = 256;
    return scene;
}

ParameterStore demoParameters() {
    ParameterStore parameters;
    parameters.set("From", -1.0);
    parameters.set("To", 3.0);
    parameters.set("NoOverlap", 1.0);
    parameters.set("LargestPatch", 1.0);
    parameters.set("FillHoles", 1.0);
    parameters.set("NrSmooth", 2.0);
    return parameters;
}

}  // namespace zevkalon
