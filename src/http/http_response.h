#pragma once

#include <sys/types.h>

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace atelier {

// A file opened for a response; the body is read from it while it is sent.
struct OpenFile {
  OpenFile(int fd, uint64_t size, timespec modified, ino_t inode);
  ~OpenFile();
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;

  int fd;
  uint64_t size;
  timespec modified;
  ino_t inode;
  std::string etag() const;
};

// A response of the loopback server: bytes, or a file streamed from disk.
class HttpResponse {
 public:
  // Nothing when the path is not a readable regular file.
  static std::optional<HttpResponse> file(const std::filesystem::path& path);
  // Takes over an open descriptor; nothing (and the descriptor closed) unless it is a regular file.
  static std::optional<HttpResponse> file(int fd, std::string_view fileName);
  static HttpResponse data(std::string bytes, std::string contentType);
  static HttpResponse text(std::string body, unsigned statusCode = 200);

  unsigned statusCode() const { return statusCode_; }
  void setStatusCode(unsigned code) { statusCode_ = code; }
  const std::string& contentType() const { return contentType_; }
  void setContentType(std::string type) { contentType_ = std::move(type); }

  const std::vector<std::pair<std::string, std::string>>& headers() const { return headers_; }
  void addHeader(std::string name, std::string value);
  void setHeader(const std::string& name, std::string value);  // replaces every value of the name
  std::optional<std::string> header(std::string_view name) const;

  const std::string& bytes() const { return bytes_; }
  const std::shared_ptr<const OpenFile>& openFile() const { return file_; }
  // "Cache-Control: max-age=N" (0 gives "no-cache"); unset by default.
  void setCacheMaxAge(std::optional<unsigned> seconds) { cacheMaxAge_ = seconds; }
  std::optional<unsigned> cacheMaxAge() const { return cacheMaxAge_; }

 private:
  unsigned statusCode_ = 200;
  std::string contentType_;
  std::vector<std::pair<std::string, std::string>> headers_;
  std::string bytes_;
  std::shared_ptr<const OpenFile> file_;
  std::optional<unsigned> cacheMaxAge_;
};

// Content type for a file name: a table of web types, then the system's registry.
std::string contentTypeForPath(std::string_view path);

}  // namespace atelier
