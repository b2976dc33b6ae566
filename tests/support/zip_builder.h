#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace atelier::test {

// Writes a ZIP archive with the given entries (a name ending in "/" is a folder).
bool writeZip(const std::filesystem::path& archive, const std::vector<std::pair<std::string, std::string>>& entries,
              bool symlinkLast = false);

}  // namespace atelier::test
