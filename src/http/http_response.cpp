#include "http/http_response.h"

#include "core/text_helpers.h"

#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <mutex>
#include <unordered_map>

namespace atelier {

OpenFile::OpenFile(int fileDescriptor, uint64_t fileSize, timespec modifiedAt, ino_t fileInode)
    : fd(fileDescriptor), size(fileSize), modified(modifiedAt), inode(fileInode) {}

OpenFile::~OpenFile() { ::close(fd); }

std::string OpenFile::etag() const {
  return "\"" + std::to_string(inode) + "-" + std::to_string(modified.tv_sec) + "." +
         std::to_string(modified.tv_nsec) + "-" + std::to_string(size) + "\"";
}

std::optional<HttpResponse> HttpResponse::file(const std::filesystem::path& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return std::nullopt;
  return file(fd, path.filename().string());
}

std::optional<HttpResponse> HttpResponse::file(int fd, std::string_view fileName) {
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return std::nullopt;
  }
  HttpResponse response;
  response.file_ = std::make_shared<OpenFile>(fd, static_cast<uint64_t>(info.st_size), info.st_mtim, info.st_ino);
  response.contentType_ = contentTypeForPath(fileName);
  return response;
}

HttpResponse HttpResponse::data(std::string bytes, std::string contentType) {
  HttpResponse response;
  response.bytes_ = std::move(bytes);
  response.contentType_ = std::move(contentType);
  return response;
}

HttpResponse HttpResponse::text(std::string body, unsigned statusCode) {
  auto response = data(std::move(body), "text/plain; charset=utf-8");
  response.statusCode_ = statusCode;
  return response;
}

void HttpResponse::addHeader(std::string name, std::string value) {
  headers_.emplace_back(std::move(name), std::move(value));
}

void HttpResponse::setHeader(const std::string& name, std::string value) {
  std::erase_if(headers_, [&](const auto& header) { return ::strcasecmp(header.first.c_str(), name.c_str()) == 0; });
  headers_.emplace_back(name, std::move(value));
}

std::optional<std::string> HttpResponse::header(std::string_view name) const {
  for (const auto& [key, value] : headers_) {
    if (key.size() == name.size() && ::strncasecmp(key.data(), name.data(), name.size()) == 0) return value;
  }
  return std::nullopt;
}

std::string contentTypeForPath(std::string_view path) {
  static const std::unordered_map<std::string, std::string> kWebTypes = {
      {"html", "text/html"}, {"htm", "text/html"}, {"js", "application/javascript"}, {"mjs", "application/javascript"},
      {"css", "text/css"}, {"json", "application/json"}, {"svg", "image/svg+xml"}, {"png", "image/png"},
      {"jpg", "image/jpeg"}, {"jpeg", "image/jpeg"}, {"gif", "image/gif"}, {"webp", "image/webp"},
      {"ico", "image/x-icon"}, {"woff", "font/woff"}, {"woff2", "font/woff2"}, {"ttf", "font/ttf"},
      {"otf", "font/otf"}, {"wasm", "application/wasm"}, {"txt", "text/plain"}, {"xml", "application/xml"},
      {"map", "application/json"}, {"pdf", "application/pdf"}, {"zip", "application/zip"},
  };
  static std::mutex cacheMutex;
  static std::unordered_map<std::string, std::string> cache;

  auto slash = path.rfind('/');
  auto name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  auto dot = name.rfind('.');
  if (dot == std::string_view::npos) return "application/octet-stream";
  std::string extension(name.substr(dot + 1));
  std::transform(extension.begin(), extension.end(), extension.begin(), [](unsigned char c) { return std::tolower(c); });
  if (auto found = kWebTypes.find(extension); found != kWebTypes.end()) return found->second;

  std::lock_guard lock(cacheMutex);
  auto [entry, added] = cache.try_emplace(extension);
  if (added) entry->second = mimeTypeForPath("file." + extension);
  return entry->second;
}

}  // namespace atelier
