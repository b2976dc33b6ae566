#pragma once

#include "storage/file_storage_protocol.h"

#include <memory>
#include <vector>

namespace atelier {

// The one storage everybody reads through: the protected directory, the
// unprotected directory, the updated database, the shipped database, in
// that order, so a written or updated file hides the shipped one.
class MultiLevelFileStorage {
 public:
  // The standard four levels.
  MultiLevelFileStorage();
  explicit MultiLevelFileStorage(std::vector<std::shared_ptr<FileStorageProtocol>> storageProviders);

  struct Resolved {
    std::filesystem::path url;
    std::shared_ptr<FileStorageProtocol> storage;
  };
  StorageResult<Resolved> resolve(const std::string& path) const;
  StorageResult<bool> fileExists(const std::string& path) const;
  StorageResult<bool> directoryExists(const std::string& path) const;
  StorageResult<> createFile(const std::string& data, const std::string& path, bool isProtected);
  StorageResult<> createFileFrom(const std::filesystem::path& source, const std::string& path, bool isProtected);
  StorageResult<> createDirectory(const std::string& path, bool isProtected);
  StorageResult<> removeItem(const std::string& path);
  // Serves the path; a directory serves its "index.json". Failures answer
  // "Not Found" with 404 (missing), 400 ("..") or 500, and the storage code
  // in the header X-Storage-Error.
  void respondWithContent(const std::string& path, const std::shared_ptr<ResponseHandler>& handler,
                          const HeaderTable& headers) const;

  const std::vector<std::shared_ptr<FileStorageProtocol>>& storageProviders() const { return storageProviders_; }

 private:
  std::shared_ptr<FileStorageProtocol> writable(bool isProtected) const;
  std::shared_ptr<FileStorageProtocol> firstHolding(const std::string& path) const;

  std::vector<std::shared_ptr<FileStorageProtocol>> storageProviders_;
};

}  // namespace atelier
