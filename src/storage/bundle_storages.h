#pragma once

#include "storage/database_storage.h"
#include "storage/zip_extractor.h"

#include <functional>
#include <set>

namespace atelier {

// The web application's database shipped with the application: read-only.
class ApplicationBundleStorage : public DatabaseStorage {
 public:
  static ApplicationBundleStorage& shared();
  explicit ApplicationBundleStorage(const std::filesystem::path& databaseFile);

  StorageResult<> createFile(const std::string& data, const std::string& path, bool isProtected) override;
  StorageResult<> createFileFrom(const std::filesystem::path& source, const std::string& path,
                                 bool isProtected) override;
  StorageResult<> createDirectory(const std::string& path, bool isProtected) override;
  StorageResult<> removeItem(const std::string& path) override;
};

// The database that incremental updates fill, in "Update Storage".
class UpdatedBundleStorage : public DatabaseStorage {
 public:
  static UpdatedBundleStorage& shared();
  explicit UpdatedBundleStorage(const std::filesystem::path& directory);

  // The directory the shared instance uses: "Update Storage", or a fresh one in testing mode.
  static std::filesystem::path defaultDirectory();

  void prepareDatabase();
  using Completion = std::function<void(std::optional<FileStorageError>)>;
  // Unpacks the archive, deletes the listed paths, stores the file map, imports
  // every regular, visible file (one transaction each), then the directories.
  void createDB(const std::filesystem::path& archive, const ZipExtractor::Progress& installProgress,
                const std::string& fileListName, const std::vector<std::string>& filesToDelete,
                const std::string& filemapData, const Completion& completion,
                const ZipExtractor& extractor = ZipExtractor());
  void deleteFiles(const std::string& fileToDelete);
  void updateFilemap(const std::string& fileListName, const std::string& filemapData);
  void createDirectories(const std::set<std::string>& checkedDirs);
};

}  // namespace atelier
