#include "http/static_directory.h"

#include "core/logging.h"
#include "http/http_request.h"

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>

namespace atelier {
namespace fs = std::filesystem;

StaticDirectory::StaticDirectory(fs::path directory, unsigned cacheAge) : cacheAge_(cacheAge) {
  std::error_code ec;
  root_ = fs::canonical(directory, ec);
  if (ec) root_ = directory;
  rootFd_ = ::open(root_.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
}

StaticDirectory::~StaticDirectory() {
  if (rootFd_ >= 0) ::close(rootFd_);
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

// One system call that the kernel keeps below the root, symbolic links
// included; the slower canonical-path check where openat2 is missing.
int StaticDirectory::openBeneath(const std::string& relativePath) const {
  auto relative = fs::path(relativePath).relative_path();
  if (relative.empty() || rootFd_ < 0) return -1;
  open_how how{};
  how.flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK;
  how.resolve = RESOLVE_BENEATH | RESOLVE_NO_MAGICLINKS;
  long fd = ::syscall(SYS_openat2, rootFd_, relative.c_str(), &how, sizeof how);
  if (fd >= 0 || errno != ENOSYS) return static_cast<int>(fd);

  std::error_code ec;
  auto resolved = fs::canonical(root_ / relative, ec);
  if (ec || !isInside(resolved, root_)) return -1;
  return ::open(resolved.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
}

HttpResponse StaticDirectory::respond(const std::string& relativePath) const {
  if (hasParentReference(relativePath)) {
    logWarning("Webview Communication/RequestProxy", "respond(_:)", "Refused a path leaving the directory: " + relativePath);
    return HttpResponse::text("Forbidden", 403);
  }
  int fd = openBeneath(relativePath);
  auto response = fd >= 0 ? HttpResponse::file(fd, relativePath) : std::nullopt;
  if (!response) return HttpResponse::text("Not Found", 404);
  response->setCacheMaxAge(cacheAge_);
  return std::move(*response);
}

}  // namespace atelier
