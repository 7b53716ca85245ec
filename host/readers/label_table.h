// VOI names and colours: a FreeSurfer colour table, or the fixed palette.
#pragma once

#include <array>
#include <cstdint>
#include <iosfwd>
#include <map>
#include <string>
#include <vector>

#include "host/documents/voi_set.h"

namespace zevkalon {

struct LabelEntry {
    std::string name;
    std::int32_t red = 0, green = 0, blue = 0;
};

// Label value to name and colour.
using LabelTable = std::map<std::int32_t, LabelEntry>;

// Parses a colour table in FreeSurfer LUT text format: one "value name R G B A"
// per line (the alpha column may be left out and is ignored); text after '#'
// and blank lines are ignored. sourceName names the input in messages.
// Throws HostError(kExitBadInput) with "sourceName:line: problem" for a line
// with too few or too many fields, a value or colour that is not a whole
// number, a colour component outside 0 .. 255, or a label given twice.
LabelTable parseLabelTable(std::istream& in, const std::string& sourceName);

// Reads the table from a file; a file that cannot be opened is refused.
LabelTable readLabelTable(const std::string& path);

// The colours given to labels that the table does not name: twelve
// well-separated colours, label value v taking entry (v - 1) mod 12
// (so labels 1 .. 12 get the entries in order). Packed R * 65536 + G * 256 + B.
const std::array<std::int32_t, 12>& defaultPalette();
std::int32_t paletteColor(std::int32_t label);

// Sets every VOI's name and colour from the table (null: no table): a label
// missing from it is named "Label <value>" and coloured from the palette.
// Names longer than the host's field (ZK_VOI_NAME_SIZE - 1 bytes) are cut
// to fit, with one warning per VOI written to warnings.
void nameVOIs(std::vector<VoiData>& vois, const LabelTable* table, std::ostream& warnings);

}  // namespace zevkalon
