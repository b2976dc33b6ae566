#include "http/url.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace atelier {

std::optional<std::string> percentDecode(std::string_view text, bool plusIsSpace) {
  auto hex = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '%') {
      int high = i + 1 < text.size() ? hex(text[i + 1]) : -1;
      int low = i + 2 < text.size() ? hex(text[i + 2]) : -1;
      if (high < 0 || low < 0) return std::nullopt;
      c = static_cast<char>(high * 16 + low);
      i += 2;
    } else if (c == '+' && plusIsSpace) {
      c = ' ';
    }
    if (c == '\0') return std::nullopt;
    out += c;
  }
  return out;
}

std::optional<URL> URL::parse(std::string_view text) {
  for (unsigned char c : text) {
    if (c <= 0x20 || c == 0x7F) return std::nullopt;  // no spaces or controls in a URL
  }
  auto schemeEnd = text.find("://");
  if (schemeEnd == std::string_view::npos || schemeEnd == 0) return std::nullopt;
  URL url;
  url.scheme = std::string(text.substr(0, schemeEnd));
  if (!std::all_of(url.scheme.begin(), url.scheme.end(),
                   [](unsigned char c) { return std::isalnum(c) || c == '+' || c == '-' || c == '.'; })) {
    return std::nullopt;
  }
  std::transform(url.scheme.begin(), url.scheme.end(), url.scheme.begin(), [](unsigned char c) { return std::tolower(c); });
  auto rest = text.substr(schemeEnd + 3);
  if (auto fragment = rest.find('#'); fragment != std::string_view::npos) rest = rest.substr(0, fragment);
  auto authorityEnd = rest.find_first_of("/?");
  auto authority = rest.substr(0, authorityEnd);
  rest = authorityEnd == std::string_view::npos ? std::string_view() : rest.substr(authorityEnd);
  if (auto at = authority.rfind('@'); at != std::string_view::npos) authority = authority.substr(at + 1);
  auto colon = authority.rfind(':');
  if (colon != std::string_view::npos && authority.find(']', colon) == std::string_view::npos) {
    uint16_t port = 0;
    auto digits = authority.substr(colon + 1);
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), port);
    if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
    url.port = port;
    authority = authority.substr(0, colon);
  }
  if (authority.empty()) return std::nullopt;
  url.host = std::string(authority);
  std::transform(url.host.begin(), url.host.end(), url.host.begin(), [](unsigned char c) { return std::tolower(c); });
  auto question = rest.find('?');
  url.path = std::string(rest.substr(0, question));
  if (url.path.empty()) url.path.assign(1, '/');
  if (question != std::string_view::npos) url.query = std::string(rest.substr(question + 1));
  return url;
}

std::optional<std::string> URL::decodedPath() const { return percentDecode(path); }

std::optional<std::map<std::string, std::string>> queryParameters(const std::string& query) {
  std::map<std::string, std::string> parameters;
  size_t start = 0;
  while (start <= query.size()) {
    auto end = query.find('&', start);
    if (end == std::string::npos) end = query.size();
    std::string_view item(query.data() + start, end - start);
    auto equals = item.find('=');
    if (equals != std::string_view::npos) {
      auto name = percentDecode(item.substr(0, equals), true);
      auto value = percentDecode(item.substr(equals + 1), true);
      if (!name || !value) return std::nullopt;
      if (!parameters.emplace(*name, *value).second) return std::nullopt;  // a name given twice
    }
    start = end + 1;
  }
  return parameters;
}

}  // namespace atelier
