#pragma once
// Splitting a path into folder, name and extension, and putting it back together.
// Paths are kept whole at any length.

#include <string>
#include <string_view>

namespace kestro {

struct PathParts {
    std::string dir;  // up to and including the last '/', empty for a bare name
    std::string name; // file name without its extension
    std::string ext;  // from the last dot of the file name, dot included; may be empty
};

PathParts splitPath(std::string_view path);
// dir + name + ext
std::string joinPath(const PathParts& parts);
// The same folder and name with another extension (".eep", ".hex").
std::string withExtension(const PathParts& parts, std::string_view ext);
// The file-name part of a path: no folder.
std::string fileNamePart(std::string_view path);
// True when the extension equals `upper` ignoring case (`upper` given in capitals).
bool extensionIs(const PathParts& parts, std::string_view upper);

} // namespace kestro
