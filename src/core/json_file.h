#pragma once

#include <nlohmann/json.hpp>

#include <filesystem>
#include <optional>

namespace atelier {

// Reads and parses a whole JSON file (fragments allowed); nothing on any failure.
std::optional<nlohmann::json> readJSONFile(const std::filesystem::path& file);

}  // namespace atelier
