#include "buffers/path_parts.h"

namespace kestro {

PathParts splitPath(std::string_view path) {
    PathParts p;
    const size_t slash = path.rfind('/');
    const size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
    p.dir = std::string(path.substr(0, nameStart));
    const std::string_view file = path.substr(nameStart);
    const size_t dot = file.rfind('.');
    if (dot == std::string_view::npos) {
        p.name = std::string(file);
    } else {
        p.name = std::string(file.substr(0, dot));
        p.ext = std::string(file.substr(dot));
    }
    return p;
}

std::string joinPath(const PathParts& parts) { return parts.dir + parts.name + parts.ext; }

std::string withExtension(const PathParts& parts, std::string_view ext) {
    std::string s = parts.dir + parts.name;
    s += ext;
    return s;
}

std::string fileNamePart(std::string_view path) {
    const size_t slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

bool extensionIs(const PathParts& parts, std::string_view upper) {
    if (parts.ext.size() != upper.size()) return false;
    for (size_t i = 0; i < upper.size(); ++i) {
        char c = parts.ext[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != upper[i]) return false;
    }
    return true;
}

} // namespace kestro
