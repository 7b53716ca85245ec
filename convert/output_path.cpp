#include "convert/output_path.h"

namespace tessarin {

std::string replaceExtension(const std::string& name, const std::string& extension) {
    const std::size_t dot = name.rfind('.');
    return (dot == std::string::npos ? name : name.substr(0, dot)) + extension;
}

}  // namespace tessarin
