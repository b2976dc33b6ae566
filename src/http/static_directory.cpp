#include "http/static_directory.h"

#include "core/logging.h"
#include "http/http_request.h"

namespace atelier {
namespace fs = std::filesystem;

StaticDirectory::StaticDirectory(fs::path directory, unsigned cacheAge) : cacheAge_(cacheAge) {
  std::error_code ec;
  root_ = fs::canonical(directory, ec);
  if (ec) root_ = directory;
}

bool hasParentReference(std::string_view path) {
  for (const auto& component : pathComponents(path)) {
    if (component == "..") return true;
  }
  return false;
}

bool isInside(const fs::path& canonicalPath, const fs::path& canonicalRoot) {
  auto [rootEnd, pathPosition] = std::mismatch(canonicalRoot.begin(), canonicalRoot.end(), canonicalPath.begin(),
                                               canonicalPath.end());
  return rootEnd == canonicalRoot.end();
}

HttpResponse StaticDirectory::respond(const std::string& relativePath) const {
  if (hasParentReference(relativePath)) {
    logWarning("Webview Communication/RequestProxy", "respond(_:)", "Refused a path leaving the directory: " + relativePath);
    return HttpResponse::text("Forbidden", 403);
  }
  std::error_code ec;
  auto resolved = fs::canonical(root_ / fs::path(relativePath).relative_path(), ec);
  if (ec || !isInside(resolved, root_)) return HttpResponse::text("Not Found", 404);
  auto response = HttpResponse::file(resolved);
  if (!response) return HttpResponse::text("Not Found", 404);
  response->setCacheMaxAge(cacheAge_);
  return std::move(*response);
}

}  // namespace atelier
