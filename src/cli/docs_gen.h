#pragma once
// The help text, the manual page and the bash completion, all written from the one
// option table; the exit codes and the JSON schema beside them.

#include <string>

namespace kestro::cli {

inline constexpr const char* kCliVersion = "1.0";
inline constexpr const char* kJsonSchema = "kestro-cli/1";

std::string helpText();
std::string exitCodesText();
std::string jsonSchemaText();
std::string manPage();
std::string bashCompletion();

} // namespace kestro::cli
