#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace atelier {

// An absolute URL taken apart: scheme://host[:port]/path[?query][#fragment].
struct URL {
  std::string scheme;
  std::string host;  // lower case
  std::optional<uint16_t> port;
  std::string path;  // as written (percent-encoded), "/" when empty
  std::optional<std::string> query;

  // Nothing when the text is not an absolute URL with a host.
  static std::optional<URL> parse(std::string_view text);
  // path percent-decoded; nothing for a malformed escape or NUL.
  std::optional<std::string> decodedPath() const;
};

// "a=1&b=x%20y": items with a value, decoded; nothing when a name repeats.
std::optional<std::map<std::string, std::string>> queryParameters(const std::string& query);
std::optional<std::string> percentDecode(std::string_view text, bool plusIsSpace = false);

}  // namespace atelier
