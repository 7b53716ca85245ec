#include "host/readers/volume_file.h"

#include "host/readers/mgh_volume_reader.h"

namespace zevkalon {

LabelVolume readVolume(const std::string& path) {
    return isMghFileName(path) ? readMghVolume(path) : readLabelVolume(path);
}

}  // namespace zevkalon
