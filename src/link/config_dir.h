#pragma once
// Where the program keeps its own files.

#include <filesystem>

namespace kestro {

// $XDG_CONFIG_HOME/kestro, or ~/.config/kestro when the variable is unset, empty or
// relative (relative values are ignored, as the XDG convention asks). Not created here.
std::filesystem::path configDir();

} // namespace kestro
