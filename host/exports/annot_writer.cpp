#include "host/exports/annot_writer.h"

#include <ostream>
#include <set>

#include "host/exports/gifti_label_writer.h"
#include "host/exports/output_file.h"
#include "host/host_error.h"

namespace zevkalon {

namespace {

void writeInt(std::ostream& out, std::int32_t value) {
    const std::uint32_t word = static_cast<std::uint32_t>(value);
    const char bytes[4] = {static_cast<char>(word >> 24), static_cast<char>(word >> 16), static_cast<char>(word >> 8),
                           static_cast<char>(word)};
    out.write(bytes, 4);
}

// A length that counts the closing NUL, the text, and the NUL.
void writeString(std::ostream& out, const std::string& text) {
    writeInt(out, static_cast<std::int32_t>(text.size() + 1));
    out.write(text.c_str(), static_cast<std::streamsize>(text.size() + 1));
}

std::int32_t packed(const std::int32_t rgb[3]) { return rgb[0] + rgb[1] * 256 + rgb[2] * 65536; }

}  // namespace

AnnotationColours annotationColours(const tessarin::POIFile& pois) {
    AnnotationColours colours;
    std::set<std::int32_t> used;
    for (const tessarin::POIRecord& record : pois.POIs) {
        const std::int32_t wanted = packed(record.ColorOfPOI);
        // XOR with a growing step touches the red byte first, then green: the
        // smallest visible change that frees the value.
        std::int32_t step = 0;
        while (step <= 0xFFFFFF && ((wanted ^ step) == 0 || used.count(wanted ^ step) != 0)) ++step;
        if (step > 0xFFFFFF) throw HostError(kExitExportFailed, "--export-annot: more POIs than colours");
        if (step != 0) ++colours.changed;
        used.insert(wanted ^ step);
        colours.values.push_back(wanted ^ step);
    }
    return colours;
}

void writeAnnotation(std::ostream& out, const tessarin::POIFile& pois, std::int32_t nrOfVertices,
                     const AnnotationColours& colours) {
    const std::vector<std::int32_t> owners = vertexLabels(pois, nrOfVertices);
    writeInt(out, nrOfVertices);
    for (std::size_t v = 0; v < owners.size(); ++v) {
        writeInt(out, static_cast<std::int32_t>(v));
        writeInt(out, owners[v] == 0 ? 0 : colours.values[static_cast<std::size_t>(owners[v] - 1)]);
    }
    const std::int32_t entries = static_cast<std::int32_t>(pois.POIs.size());
    writeInt(out, 1);         // a colour table follows
    writeInt(out, -2);        // its format version, negated
    writeInt(out, entries);   // the highest entry index + 1
    writeString(out, "NOFILE");  // no colour table file behind it
    writeInt(out, entries);
    const std::vector<std::string> names = distinctPoiNames(pois);
    for (std::int32_t p = 0; p < entries; ++p) {
        const std::int32_t value = colours.values[static_cast<std::size_t>(p)];
        writeInt(out, p);
        writeString(out, names[static_cast<std::size_t>(p)]);
        writeInt(out, value & 0xFF);
        writeInt(out, (value >> 8) & 0xFF);
        writeInt(out, (value >> 16) & 0xFF);
        writeInt(out, 0);  // transparency
    }
}

void writeAnnotationFile(const tessarin::POIFile& pois, std::int32_t nrOfVertices, const std::string& path,
                         std::ostream& messages) {
    const AnnotationColours colours = annotationColours(pois);
    writeOutputFile(path, "--export-annot",
                    [&](std::ostream& out) { writeAnnotation(out, pois, nrOfVertices, colours); });
    if (colours.changed > 0) {
        messages << "zevkalon: " << path << ": " << colours.changed
                 << " POI colours were black or taken by an earlier POI; changed slightly in the annotation, "
                    "where a colour names a label\n";
    }
}

}  // namespace zevkalon
