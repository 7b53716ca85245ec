#include "host/app/viewer_content.h"

#include <sstream>

namespace zevkalon {

namespace {

std::string number(double value) {
    std::ostringstream text;
    text << value;
    return text.str();
}

std::string baseName(const std::string& path) {
    const std::size_t separator = path.find_last_of("/\\");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

}  // namespace

ViewerSurface viewerSurface(const SurfaceFile& surface) {
    ViewerSurface view;
    view.positions.assign(surface.positions.begin(), surface.positions.end());
    view.triangles = surface.triangles;
    return view;
}

ViewerSurface viewerSurface(const HostMesh& mesh) {
    ViewerSurface view;
    view.positions.reserve(static_cast<std::size_t>(mesh.nrOfVertices()) * 3);
    for (std::int32_t v = 0; v < mesh.nrOfVertices(); ++v) {
        view.positions.insert(view.positions.end(), {mesh.x[v], mesh.y[v], mesh.z[v]});
    }
    view.triangles = mesh.triangles;
    return view;
}

ViewerContent viewerContent(const HostOptions& options, const ParameterStore& parameters, ViewerSurface surface,
                            const tessarin::POIFile& pois) {
    ViewerContent content;
    content.title = baseName(pois.FileName);
    content.surface = std::move(surface);
    content.pois = pois;
    const bool demo = options.mode == HostMode::Demo;
    const std::string unit = demo ? " voxels" : " mm";
    content.run.push_back({"From", number(parameters.get("From")) + unit});
    content.run.push_back({"To", number(parameters.get("To")) + unit});
    std::string chosen;
    const std::pair<const char*, const char*> flags[] = {
        {"NoOverlap", "no overlap"}, {"LargestPatch", "largest patch"}, {"FillHoles", "fill holes"}};
    for (const auto& [name, text] : flags) {
        if (parameters.get(name) != 0.0) chosen += std::string(chosen.empty() ? "" : ", ") + text;
    }
    const double smooth = parameters.get("NrSmooth");
    if (smooth != 0.0) chosen += (chosen.empty() ? "" : ", ") + number(smooth) + " smoothing steps";
    content.run.push_back({"Options", chosen.empty() ? "none" : chosen});
    if (demo) {
        content.run.push_back({"Scene", "the demo's built-in volume and surface (voxel grid coordinates)"});
    } else {
        content.run.push_back({"Volume", options.volumePath});
        if (!options.labelsPath.empty()) content.run.push_back({"Label table", options.labelsPath});
        content.run.push_back({"Surface", options.surfacePath});
    }
    content.run.push_back({"POI file", pois.FileName});
    return content;
}

}  // namespace zevkalon
