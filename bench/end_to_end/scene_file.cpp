#include "bench/end_to_end/scene_file.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <stdexcept>
#include <vector>

namespace tessarin::bench {

namespace {

constexpr char kMagic[8] = {'T', 'E', 'S', 'S', 'C', 'E', 'N', '1'};

// Both builds run on little-endian x86-64, so values go out as they are in memory.
class Writer {
public:
    explicit Writer(const std::string& path) : out_(path, std::ios::binary), path_(path) {
        if (!out_) throw std::runtime_error("cannot write " + path);
    }
    void bytes(const void* data, std::size_t size) { out_.write(static_cast<const char*>(data), static_cast<std::streamsize>(size)); }
    void count(std::size_t n) {
        const std::uint64_t value = n;
        bytes(&value, sizeof value);
    }
    template <typename T>
    void array(const std::vector<T>& values) {
        count(values.size());
        bytes(values.data(), values.size() * sizeof(T));
    }
    void text(const std::string& value) {
        count(value.size());
        bytes(value.data(), value.size());
    }
    void finish() {
        out_.close();
        if (!out_) throw std::runtime_error("cannot write " + path_);
    }

private:
    std::ofstream out_;
    std::string path_;
};

class Reader {
public:
    explicit Reader(const std::string& path) : in_(path, std::ios::binary), path_(path) {
        if (!in_) throw std::runtime_error("cannot read " + path);
    }
    void bytes(void* data, std::size_t size) {
        in_.read(static_cast<char*>(data), static_cast<std::streamsize>(size));
        if (!in_) throw std::runtime_error(path_ + " ends early");
    }
    std::size_t count() {
        std::uint64_t value = 0;
        bytes(&value, sizeof value);
        if (value > (std::uint64_t{1} << 34)) throw std::runtime_error(path_ + " is not a scene file");
        return static_cast<std::size_t>(value);
    }
    template <typename T>
    std::vector<T> array() {
        std::vector<T> values(count());
        bytes(values.data(), values.size() * sizeof(T));
        return values;
    }
    std::string text() {
        std::string value(count(), '\0');
        bytes(value.data(), value.size());
        return value;
    }

private:
    std::ifstream in_;
    std::string path_;
};

}  // namespace

void saveScene(const BrainScene& scene, const std::string& path) {
    Writer out(path);
    out.bytes(kMagic, sizeof kMagic);
    out.bytes(scene.dims, sizeof scene.dims);
    const MeshData& mesh = scene.mesh;
    for (const std::vector<float>* values : {&mesh.x, &mesh.y, &mesh.z, &mesh.nx, &mesh.ny, &mesh.nz}) out.array(*values);
    out.array(mesh.triangles);
    out.count(mesh.neighbours.size());
    for (const auto& row : mesh.neighbours) out.array(row);
    out.count(scene.vois.size());
    for (const SceneVOI& voi : scene.vois) {
        out.text(voi.name);
        out.bytes(&voi.color, sizeof voi.color);
        out.array(voi.voxels);
    }
    out.finish();
}

BrainScene loadScene(const std::string& path) {
    Reader in(path);
    char magic[sizeof kMagic];
    in.bytes(magic, sizeof magic);
    if (!std::equal(magic, magic + sizeof magic, kMagic)) throw std::runtime_error(path + " is not a scene file");
    BrainScene scene;
    in.bytes(scene.dims, sizeof scene.dims);
    MeshData& mesh = scene.mesh;
    for (std::vector<float>* values : {&mesh.x, &mesh.y, &mesh.z, &mesh.nx, &mesh.ny, &mesh.nz}) *values = in.array<float>();
    mesh.triangles = in.array<std::int32_t>();
    mesh.neighbours.resize(in.count());
    for (auto& row : mesh.neighbours) row = in.array<std::int32_t>();
    scene.vois.resize(in.count());
    for (SceneVOI& voi : scene.vois) {
        voi.name = in.text();
        in.bytes(&voi.color, sizeof voi.color);
        voi.voxels = in.array<std::int32_t>();
    }
    return scene;
}

}  // namespace tessarin::bench
