#pragma once

#include "storage/file_storage_protocol.h"
#include "storage/sqlite_database.h"

#include <memory>

namespace atelier {

// A tree of files inside one SQLite database (tables tbl_file and tbl_dir).
// Read-only through the layered storage; the update machinery writes it.
class DatabaseStorage : public FileStorageProtocol {
 public:
  DatabaseStorage(std::filesystem::path dbURL, bool isProtected, std::unique_ptr<SqliteDatabase> database);

  // "/a/b/" → "a/b"; nothing for an empty or invalid path.
  static std::optional<std::string> normalizedPath(const std::string& path);
  static std::string parentPath(const std::string& normalized);

  const std::filesystem::path& dbURL() const { return dbURL_; }
  SqliteDatabase& queue() { return *queue_; }

  bool isProtected() const override { return isProtected_; }
  bool canModifyFiles() const override { return false; }
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

  struct FileRow {
    std::optional<std::string> data;
    bool compressed = false;
  };
  std::optional<FileRow> fileResult(const std::optional<std::string>& path) const;
  bool directoryResult(const std::optional<std::string>& path) const;
  // The file's bytes, decompressed when stored compressed.
  StorageResult<std::string> contents(const std::filesystem::path& url) const;
  void clearFileTable();
  void clearDirectoryTable();

 protected:
  // clearDirectoryTable inside a transaction already open.
  bool clearDirectories(SqliteDatabase::Connection& connection);

 private:
  bool isProtected_;
  std::filesystem::path dbURL_;
  std::unique_ptr<SqliteDatabase> queue_;
};

}  // namespace atelier
