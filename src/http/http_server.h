#pragma once

#include "http/http_request.h"
#include "http/http_response.h"

#include <cstdint>
#include <expected>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace atelier {

struct HttpServerOptions {
  unsigned threads = 2;
  size_t headerLimit = 16 * 1024;
  uint64_t bodyLimit = uint64_t{1} << 30;
  double idleTimeout = 60;      // seconds a connection may sit between requests
  double handlerTimeout = 300;  // seconds a handler may take before a 504
};

// The loopback HTTP/1.1 server: keep-alive, one request at a time per
// connection (pipelined requests wait their turn), listening on 127.0.0.1
// and ::1 only. Requests whose Host is not a loopback name with our port get
// 403. Handlers run on the server's threads and complete from any thread.
class HttpServer {
 public:
  using Completion = std::function<void(std::optional<HttpResponse>)>;
  using Match = std::function<bool(const HttpRequest&)>;
  using Process = std::function<void(std::shared_ptr<HttpRequest>, Completion)>;

  explicit HttpServer(HttpServerOptions options = {});
  ~HttpServer();
  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;

  // Handlers are tried in the order added; add them before start().
  void addHandler(Match match, Process process);
  // Serves files below the directory under "basePath" (ending in "/"), for GET.
  void addDirectoryHandler(std::string basePath, std::filesystem::path directory, unsigned cacheAge);

  // Port 0 lets the system choose. Returns the bound port or the error text.
  std::expected<uint16_t, std::string> start(uint16_t port);
  void stop();
  uint16_t port() const;

  struct Impl;  // shared with the connections, which may outlive a call

 private:
  std::shared_ptr<Impl> impl_;
};

}  // namespace atelier
