#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace atelier {

// Case-insensitive comparison for header names.
struct HeaderNameLess {
  bool operator()(std::string_view a, std::string_view b) const;
  using is_transparent = void;
};
using HeaderTable = std::map<std::string, std::string, HeaderNameLess>;

// One request as the server read it.
struct HttpRequest {
  std::string method;
  std::string target;  // as sent: path and query, percent-encoded
  std::string path;    // percent-decoded
  std::string query;   // after "?", still encoded
  HeaderTable headers; // repeated fields are joined with ", "
  // The body, for requests that carry one (Content-Type, Content-Length or
  // chunked Transfer-Encoding); absent otherwise.
  std::optional<std::string> body;

  std::optional<std::string> header(std::string_view name) const;
  static bool isBodyCarrying(const HeaderTable& headers);
};

// Percent-decodes a URL path. Fails (nothing) on a malformed escape or NUL.
std::optional<std::string> decodeURLPath(std::string_view encoded);
// "/" then each non-empty segment: "/_data/a" gives {"/", "_data", "a"}.
std::vector<std::string> pathComponents(std::string_view path);

}  // namespace atelier
