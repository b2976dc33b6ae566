#pragma once

#include <cstdint>
#include <expected>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace atelier {

struct HttpClientRequest {
  std::string method = "GET";
  std::string url;
  std::vector<std::pair<std::string, std::string>> headers;
  std::optional<std::string> body;
  double timeoutSeconds = 60;
};

struct HttpClientResponse {
  long statusCode = 0;
  std::string url;  // after redirects
  std::vector<std::pair<std::string, std::string>> headers;  // of the final response, in order
  std::string body;  // content-decoded
  std::string mimeType;  // Content-Type without parameters
};

// Native HTTP requests on libcurl's multi interface, on a thread of their own.
// Every request shares one cookie engine, kept in a cookie jar in the
// application's data folder. Results arrive on the main queue. Extra CA
// certificates come from $ATELIER_CA_BUNDLE (a PEM file), as curl's
// CURL_CA_BUNDLE does.
class HttpClient {
 public:
  using Completion = std::function<void(std::expected<HttpClientResponse, std::string>)>;
  // Bytes received so far and the expected total (0 when unknown).
  using Progress = std::function<void(int64_t received, int64_t total)>;

  static HttpClient& shared();
  explicit HttpClient(std::optional<std::filesystem::path> cookieJar);
  ~HttpClient();
  HttpClient(const HttpClient&) = delete;
  HttpClient& operator=(const HttpClient&) = delete;

  // Returns an id for cancel(). A cancelled request completes with "cancelled".
  uint64_t perform(HttpClientRequest request, Completion completion, Progress progress = {});
  void cancel(uint64_t id);
  // Drops the cookies the shared engine would send to this host (all of
  // them, or those of one name).
  void removeCookies(const std::string& host, std::optional<std::string> name = std::nullopt);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace atelier
