#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace atelier {

// The per-user directories of the application, all named after the bundle
// identifier below the XDG base directories.
class AppPaths {
 public:
  static std::filesystem::path dataHome();    // $XDG_DATA_HOME or ~/.local/share
  static std::filesystem::path configHome();  // $XDG_CONFIG_HOME or ~/.config
  static std::filesystem::path cacheHome();   // $XDG_CACHE_HOME or ~/.cache
  static std::filesystem::path stateHome();   // $XDG_STATE_HOME or ~/.local/state

  static std::filesystem::path configDirectory();  // <config>/<bundle id>
  static std::filesystem::path dataDirectory();    // <data>/<bundle id>, not created
  static std::filesystem::path cacheDirectory();   // <cache>/<bundle id>, created
  static std::filesystem::path logDirectory();     // <state>/<bundle id>/logs

  // Private temporary directory (<cache>/<bundle id>/tmp, mode 0700), made
  // safely on first use: a symlink or a directory of another user is refused.
  static std::filesystem::path temporaryDirectory();
  // Creates a directory that only the user may enter; refuses symlinks and
  // directories owned by somebody else. Returns false with errno-like text.
  static bool ensurePrivateDirectory(const std::filesystem::path& directory, std::string& error);

  // Forgets directories worked out earlier (tests change the environment).
  static void resetForTesting();
};

// <data>/<bundle id>[/relativePath], created with its parents. Logs
// "failed to create directory in application support: " and gives nothing
// when it cannot be made. The flag has no effect.
std::optional<std::filesystem::path> urlForDirectoryInApplicationSupport(
    const std::optional<std::string>& relativePath, bool allowBackup);

}  // namespace atelier
