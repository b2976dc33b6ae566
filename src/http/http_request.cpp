#include "http/http_request.h"

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

std::optional<std::string> decodeURLPath(std::string_view encoded) {
  auto hex = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  std::string decoded;
  decoded.reserve(encoded.size());
  for (size_t i = 0; i < encoded.size(); ++i) {
    char c = encoded[i];
    if (c == '%') {
      int high = i + 1 < encoded.size() ? hex(encoded[i + 1]) : -1;
      int low = i + 2 < encoded.size() ? hex(encoded[i + 2]) : -1;
      if (high < 0 || low < 0) return std::nullopt;
      c = static_cast<char>(high * 16 + low);
      i += 2;
    }
    if (c == '\0') return std::nullopt;
    decoded += c;
  }
  return decoded;
}

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
