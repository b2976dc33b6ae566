#include "http/file_access_policy.h"

#include "core/app_paths.h"
#include "http/static_directory.h"

#include <mutex>

namespace atelier {
namespace fs = std::filesystem;
namespace {

struct PolicyState {
  std::mutex mutex;
  bool defaultsAdded = false;
  std::vector<fs::path> roots;
};

PolicyState& state() {
  static auto* s = new PolicyState;
  return *s;
}

void addCanonical(PolicyState& s, const fs::path& root) {
  std::error_code ec;
  auto canonical = fs::weakly_canonical(root, ec);
  if (!ec && !canonical.empty()) s.roots.push_back(canonical);
}

void addDefaults(PolicyState& s) {
  if (s.defaultsAdded) return;
  s.defaultsAdded = true;
  addCanonical(s, AppPaths::temporaryDirectory());
  addCanonical(s, AppPaths::cacheDirectory());
  addCanonical(s, AppPaths::dataDirectory());
}

}  // namespace

void FileAccessPolicy::allow(const fs::path& root) {
  auto& s = state();
  std::lock_guard lock(s.mutex);
  addCanonical(s, root);
}

std::optional<fs::path> FileAccessPolicy::permittedPath(const fs::path& path) {
  std::error_code ec;
  auto canonical = fs::canonical(path, ec);
  if (ec) return std::nullopt;
  auto& s = state();
  std::lock_guard lock(s.mutex);
  addDefaults(s);
  for (const auto& root : s.roots) {
    if (isInside(canonical, root)) return canonical;
  }
  return std::nullopt;
}

void FileAccessPolicy::resetForTesting() {
  auto& s = state();
  std::lock_guard lock(s.mutex);
  s.roots.clear();
  s.defaultsAdded = false;
}

}  // namespace atelier
