#pragma once

#include "storage/file_storage_protocol.h"

namespace atelier {

// A writable directory tree: "File Storage/<name>" (".<name>" when
// protected) below the application's data directory.
class FileSystemStorage : public FileStorageProtocol {
 public:
  FileSystemStorage(const std::string& name, bool isProtected);
  // A storage on any directory (tests, tools).
  struct AtDirectory {
    std::filesystem::path baseURL;
  };
  FileSystemStorage(AtDirectory directory, bool isProtected);

  const std::filesystem::path& baseURL() const { return baseURL_; }

  bool isProtected() const override { return isProtected_; }
  bool canModifyFiles() const override { return true; }
  std::optional<std::filesystem::path> url(const std::string& path) const override;
  std::vector<std::string> directoryNames(const std::string& path) const override;
  std::vector<std::string> fileNames(const std::string& path) const override;
  bool fileExists(const std::string& path) const override;
  bool directoryExists(const std::string& path) const override;
  StorageResult<> createFile(const std::string& data, const std::string& path, bool isProtected) override;
  StorageResult<> createFileFrom(const std::filesystem::path& source, const std::string& path,
                                 bool isProtected) override;
  StorageResult<> createDirectory(const std::string& path, bool isProtected) override;
  StorageResult<> removeItem(const std::string& path) override;
  void respondWithContent(const std::filesystem::path& url, const std::shared_ptr<ResponseHandler>& handler,
                          const HeaderTable& headers) const override;

 private:
  enum class Mode { directories, files };
  std::filesystem::path resolvedURL(const std::string& path) const;
  StorageResult<std::filesystem::path> preparedURL(const std::string& path, bool isProtected) const;
  std::vector<std::string> enumerator(const std::string& path, Mode mode) const;

  bool isProtected_;
  std::filesystem::path baseURL_;
};

}  // namespace atelier
