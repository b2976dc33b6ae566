#pragma once

#include <expected>
#include <filesystem>
#include <functional>
#include <string>

namespace atelier {

// Unpacks a ZIP archive into a folder. Entries that would land outside it
// (absolute paths, "..", symbolic links) are logged and skipped.
class ZipExtractor {
 public:
  using Progress = std::function<void(double fraction)>;
  virtual ~ZipExtractor() = default;
  virtual std::expected<void, std::string> unzipFile(const std::filesystem::path& archive,
                                                     const std::filesystem::path& destination,
                                                     const Progress& progress) const;
};

}  // namespace atelier
