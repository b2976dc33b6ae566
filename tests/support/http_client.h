#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace atelier::test {

struct ClientResponse {
  int status = 0;
  std::map<std::string, std::string> headers;  // names in lower case
  std::string body;
  bool closed = false;  // the server closed the connection after it
  std::optional<std::string> header(const std::string& lowerName) const;
};

// A deliberately plain HTTP/1.1 client over a POSIX socket, so tests can
// send exactly the bytes they want, malformed ones included.
class RawConnection {
 public:
  explicit RawConnection(uint16_t port, bool ipv6 = false);
  ~RawConnection();
  bool connected() const { return fd_ >= 0; }
  void send(const std::string& bytes);
  void shutdownWrite();
  // Reads one response (Content-Length bodies, or up to the close).
  std::optional<ClientResponse> readResponse(bool headRequest = false,
                                             std::chrono::milliseconds timeout = std::chrono::seconds(10));

 private:
  bool fill(std::chrono::steady_clock::time_point deadline);
  int fd_ = -1;
  std::string buffer_;
  bool eof_ = false;
};

// "GET <target> HTTP/1.1" with Host localhost:<port> and extra header lines.
std::string requestText(const std::string& method, const std::string& target, uint16_t port,
                        const std::string& extraHeaders = "", const std::string& body = "");

// Runs one exchange on a helper thread while the main queue keeps running
// (route handlers hop to the main thread).
std::optional<ClientResponse> exchange(uint16_t port, const std::string& request, bool ipv6 = false);

}  // namespace atelier::test
