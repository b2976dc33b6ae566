#pragma once

#include "http/http_response.h"

#include <filesystem>
#include <string>

namespace atelier {

// Files of one directory, by request path below it. Nothing outside the
// directory is reachable, through ".." or through symbolic links.
class StaticDirectory {
 public:
  StaticDirectory(std::filesystem::path directory, unsigned cacheAge);
  ~StaticDirectory();
  StaticDirectory(const StaticDirectory&) = delete;
  StaticDirectory& operator=(const StaticDirectory&) = delete;

  // A file response, or 403 / 404 as text.
  HttpResponse respond(const std::string& relativePath) const;

 private:
  int openBeneath(const std::string& relativePath) const;

  std::filesystem::path root_;  // canonical
  int rootFd_ = -1;
  unsigned cacheAge_;
};

// True when the decoded path has a ".." component.
bool hasParentReference(std::string_view path);
// True when the canonical form of path lies inside the canonical root.
bool isInside(const std::filesystem::path& canonicalPath, const std::filesystem::path& canonicalRoot);

}  // namespace atelier
