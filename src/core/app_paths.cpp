#include "core/app_paths.h"

#include "core/app_info.h"
#include "core/fatal.h"
#include "core/logging.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace atelier {
namespace fs = std::filesystem;
namespace {

fs::path homeDirectory() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  return "/tmp";
}

fs::path xdgDirectory(const char* variable, const char* fallbackBelowHome) {
  // Relative values are invalid by the XDG rules and are ignored.
  if (const char* value = std::getenv(variable); value && value[0] == '/') return value;
  return homeDirectory() / fallbackBelowHome;
}

std::mutex temporaryMutex;
std::optional<fs::path> temporaryCache;

}  // namespace

fs::path AppPaths::dataHome() { return xdgDirectory("XDG_DATA_HOME", ".local/share"); }
fs::path AppPaths::configHome() { return xdgDirectory("XDG_CONFIG_HOME", ".config"); }
fs::path AppPaths::cacheHome() { return xdgDirectory("XDG_CACHE_HOME", ".cache"); }
fs::path AppPaths::stateHome() { return xdgDirectory("XDG_STATE_HOME", ".local/state"); }

fs::path AppPaths::configDirectory() { return configHome() / AppInfo::bundleIdentifier(); }
fs::path AppPaths::dataDirectory() { return dataHome() / AppInfo::bundleIdentifier(); }
fs::path AppPaths::logDirectory() { return stateHome() / AppInfo::bundleIdentifier() / "logs"; }

fs::path AppPaths::cacheDirectory() {
  auto directory = cacheHome() / AppInfo::bundleIdentifier();
  std::error_code ec;
  fs::create_directories(directory, ec);
  return directory;
}

bool AppPaths::ensurePrivateDirectory(const fs::path& directory, std::string& error) {
  std::error_code ec;
  fs::create_directories(directory.parent_path(), ec);
  if (::mkdir(directory.c_str(), 0700) != 0 && errno != EEXIST) {
    error = std::strerror(errno);
    return false;
  }
  struct stat info {};
  if (::lstat(directory.c_str(), &info) != 0) {
    error = std::strerror(errno);
    return false;
  }
  if (!S_ISDIR(info.st_mode)) {
    error = "not a directory (or a symbolic link)";
    return false;
  }
  if (info.st_uid != ::geteuid()) {
    error = "owned by another user";
    return false;
  }
  if ((info.st_mode & 0777) != 0700 && ::chmod(directory.c_str(), 0700) != 0) {
    error = std::strerror(errno);
    return false;
  }
  return true;
}

fs::path AppPaths::temporaryDirectory() {
  std::lock_guard lock(temporaryMutex);
  if (temporaryCache) return *temporaryCache;
  auto directory = cacheHome() / AppInfo::bundleIdentifier() / "tmp";
  std::string error;
  if (!ensurePrivateDirectory(directory, error)) {
    fatalError("Cannot create the private temporary directory " + directory.string() + ": " + error);
  }
  temporaryCache = directory;
  return directory;
}

void AppPaths::resetForTesting() {
  std::lock_guard lock(temporaryMutex);
  temporaryCache.reset();
}

std::optional<fs::path> urlForDirectoryInApplicationSupport(const std::optional<std::string>& relativePath,
                                                            bool /*allowBackup*/) {
  auto directory = AppPaths::dataDirectory();
  if (relativePath) directory /= *relativePath;
  std::error_code ec;
  fs::create_directories(directory, ec);
  if (ec) {
    logError("Extensions/FileManager+ApplicationSupport", "urlForDirectoryInApplicationSupport(_:allowBackup:)",
             "failed to create directory in application support: " + ec.message());
    return std::nullopt;
  }
  return directory;
}

}  // namespace atelier
