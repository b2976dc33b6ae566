#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace atelier {

// The whole content of a regular file; nothing when it cannot be read.
std::optional<std::string> readFileContents(const std::filesystem::path& file);

}  // namespace atelier
