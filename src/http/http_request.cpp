#include "http/http_request.h"

#include "http/url.h"

#include <strings.h>

#include <algorithm>

namespace atelier {

bool HeaderNameLess::operator()(std::string_view a, std::string_view b) const {
  auto size = std::min(a.size(), b.size());
  int order = ::strncasecmp(a.data(), b.data(), size);
  return order != 0 ? order < 0 : a.size() < b.size();
}

std::optional<std::string> HttpRequest::header(std::string_view name) const {
  auto found = headers.find(name);
  if (found == headers.end()) return std::nullopt;
  return found->second;
}

bool HttpRequest::isBodyCarrying(const HeaderTable& headers) {
  if (headers.contains("Content-Type") || headers.contains("Content-Length")) return true;
  auto encoding = headers.find("Transfer-Encoding");
  return encoding != headers.end() && ::strcasecmp(encoding->second.c_str(), "chunked") == 0;
}

std::optional<std::string> decodeURLPath(std::string_view encoded) { return percentDecode(encoded); }

std::vector<std::string> pathComponents(std::string_view path) {
  std::vector<std::string> components;
  if (path.starts_with("/")) components.emplace_back("/");
  size_t start = 0;
  while (start <= path.size()) {
    auto end = path.find('/', start);
    if (end == std::string_view::npos) end = path.size();
    if (end > start) components.emplace_back(path.substr(start, end - start));
    start = end + 1;
  }
  return components;
}

}  // namespace atelier
