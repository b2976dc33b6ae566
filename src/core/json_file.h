#pragma once

#include <nlohmann/json.hpp>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace atelier {

// Reads and parses a whole JSON file (fragments allowed); nothing on any failure.
std::optional<nlohmann::json> readJSONFile(const std::filesystem::path& file);

// The text at a dot-separated key path through nested objects ("meta.color");
// nothing when a step is missing or the value is not text.
std::optional<std::string> textAtKeyPath(const nlohmann::json& root, std::string_view keyPath);

}  // namespace atelier
