#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace atelier::test {

struct SeenRequest {
  std::string method;
  std::string target;
  std::map<std::string, std::string> headers;  // names in lower case
  std::string body;
};

struct TestReply {
  unsigned status = 200;
  std::vector<std::pair<std::string, std::string>> headers;
  std::string body;
};

// An https server on 127.0.0.1 with a certificate of a test authority made
// for the run (openssl); caFile() is what clients must trust.
class TlsTestServer {
 public:
  using Handler = std::function<TestReply(const SeenRequest&)>;
  explicit TlsTestServer(Handler handler);
  ~TlsTestServer();

  uint16_t port() const;
  const std::filesystem::path& caFile() const { return caFile_; }
  std::vector<SeenRequest> requests() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
  std::filesystem::path caFile_;
};

}  // namespace atelier::test
