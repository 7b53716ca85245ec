#include "host/readers/label_table.h"

#include <filesystem>
#include <fstream>
#include <limits>
#include <ostream>

#include "host/host_error.h"
#include "host/readers/open_failure.h"
#include "host/readers/text_words.h"
#include "shell/host_api.h"

namespace zevkalon {

LabelTable parseLabelTable(std::istream& in, const std::string& sourceName) {
    LabelTable table;
    std::string line;
    int lineNumber = 0;
    while (std::getline(in, line)) {
        if (++lineNumber == 1) dropByteOrderMark(line);
        const auto fail = [&](const std::string& problem) {
            return badInput(lineProblem(sourceName, lineNumber, problem));
        };
        const std::vector<std::string> words = contentWords(line);
        if (words.empty()) continue;
        if (words.size() < 5 || words.size() > 6) {
            throw fail("expected \"value name R G B A\", found " + std::to_string(words.size()) + " fields");
        }
        long long value = 0;
        if (!parseWholeNumber(words[0], value) || value < std::numeric_limits<std::int32_t>::min() ||
            value > std::numeric_limits<std::int32_t>::max()) {
            throw fail("label value \"" + words[0] + "\" is not a whole number");
        }
        LabelEntry entry;
        entry.name = words[1];
        std::int32_t* components[3] = {&entry.red, &entry.green, &entry.blue};
        for (int c = 0; c < 3; ++c) {
            long long component = 0;
            if (!parseWholeNumber(words[2 + c], component) || component < 0 || component > 255) {
                throw fail("colour component \"" + words[2 + c] + "\" is not a whole number from 0 to 255");
            }
            *components[c] = static_cast<std::int32_t>(component);
        }
        if (!table.emplace(static_cast<std::int32_t>(value), entry).second) {
            throw fail("label " + words[0] + " is listed twice");
        }
    }
    return table;
}

LabelTable readLabelTable(const std::string& path) {
    // A folder opens like an empty file on some systems; it must not pass as an empty table.
    if (std::error_code ignored; std::filesystem::is_directory(path, ignored)) throw badInput(path + ": is a folder, not a label table");
    std::ifstream in(path);
    if (!in) throw badInput(cannotOpen(path, "label table"));
    LabelTable table = parseLabelTable(in, path);
    if (in.bad()) throw badInput(path + ": reading the label table failed");
    return table;
}

const std::array<std::int32_t, 12>& defaultPalette() {
    static const std::array<std::int32_t, 12> palette = {
        0xE6194B, 0x3CB44B, 0xFFE119, 0x4363D8, 0xF58231, 0x911EB4,
        0x46F0F0, 0xF032E6, 0xBCF60C, 0xFABEBE, 0x008080, 0x9A6324,
    };
    return palette;
}

std::int32_t paletteColor(std::int32_t label) {
    // In 64 bits so that label INT32_MIN does not overflow.
    const long long size = static_cast<long long>(defaultPalette().size());
    const long long slot = ((static_cast<long long>(label) - 1) % size + size) % size;
    return defaultPalette()[static_cast<std::size_t>(slot)];
}

void nameVOIs(std::vector<VoiData>& vois, const LabelTable* table, std::ostream& warnings) {
    const std::size_t capacity = ZK_VOI_NAME_SIZE - 1;
    for (VoiData& voi : vois) {
        const LabelEntry* entry = nullptr;
        if (table != nullptr) {
            const auto found = table->find(voi.label);
            if (found != table->end()) entry = &found->second;
        }
        if (entry != nullptr) {
            voi.name = entry->name;
            voi.color = entry->red * 65536 + entry->green * 256 + entry->blue;
        } else {
            voi.name = "Label " + std::to_string(voi.label);
            voi.color = paletteColor(voi.label);
        }
        if (voi.name.size() > capacity) {
            voi.name.resize(capacity);
            warnings << "zevkalon: warning: the name of label " << voi.label << " is longer than " << capacity
                     << " characters and was cut to fit\n";
        }
    }
}

}  // namespace zevkalon
