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

  static void setPort(uint16_t port);
  static uint16_t port();
  // "http://localhost:<port>/"
  static std::string baseURL();
  // "http://localhost:<port>/_file/"
  static std::string fileBase();
};

}  // namespace atelier
