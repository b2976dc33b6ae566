#pragma once

#include <filesystem>
#include <optional>
#include <vector>

namespace atelier {

// Which local files the "_file" route may serve: the application's own
// directories (private temporary, cache, data) and whatever the user chose
// (bookmarked folders, files picked in an open panel), registered here.
class FileAccessPolicy {
 public:
  // Adds a folder or a single file; symbolic links are resolved first.
  static void allow(const std::filesystem::path& root);
  // The canonical path when it lies within an allowed root.
  static std::optional<std::filesystem::path> permittedPath(const std::filesystem::path& path);
  static void resetForTesting();
};

}  // namespace atelier
