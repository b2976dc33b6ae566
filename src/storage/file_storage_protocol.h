#pragma once

#include "http/http_request.h"
#include "http/response_handler.h"
#include "storage/file_storage_error.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace atelier {

// One place files of the web application live: a directory or a database.
// Paths are storage-relative texts with "/" separators ("fonts/a.woff").
class FileStorageProtocol {
 public:
  virtual ~FileStorageProtocol() = default;

  virtual bool isProtected() const = 0;
  virtual bool canModifyFiles() const = 0;
  // Where an item (file or directory) at the path lives; nothing when there is none.
  virtual std::optional<std::filesystem::path> url(const std::string& path) const = 0;
  virtual std::vector<std::string> directoryNames(const std::string& path) const = 0;
  virtual std::vector<std::string> fileNames(const std::string& path) const = 0;
  virtual bool fileExists(const std::string& path) const = 0;
  virtual bool directoryExists(const std::string& path) const = 0;
  virtual StorageResult<> createFile(const std::string& data, const std::string& path, bool isProtected) = 0;
  virtual StorageResult<> createFileFrom(const std::filesystem::path& source, const std::string& path,
                                         bool isProtected) = 0;
  virtual StorageResult<> createDirectory(const std::string& path, bool isProtected) = 0;
  virtual StorageResult<> removeItem(const std::string& path) = 0;
  // Answers a pending request of the loopback server with the item at url.
  virtual void respondWithContent(const std::filesystem::path& url, const std::shared_ptr<ResponseHandler>& handler,
                                  const HeaderTable& headers) const = 0;
};

}  // namespace atelier
