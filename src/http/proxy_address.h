#pragma once

#include <cstdint>
#include <string>

namespace atelier {

// Where the loopback server can be reached, for everyone who builds its URLs.
class ProxyAddress {
 public:
  static constexpr const char* kHost = "localhost";
  static constexpr const char* kWebappPrefix = "_webapp";
  static constexpr const char* kFilePrefix = "_file";
  static constexpr const char* kAjaxPrefix = "__tzr_proxy";

  static void setPort(uint16_t port);
  static uint16_t port();
  // "http://localhost:<port>/"
  static std::string baseURL();
  // "http://localhost:<port>/_file/"
  static std::string fileBase();
  // "http://localhost:<port>/__tzr_proxy/"
  static std::string ajaxProxyURL();
};

}  // namespace atelier
