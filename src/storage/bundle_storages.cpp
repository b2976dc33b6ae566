#include "storage/bundle_storages.h"

#include "core/app_info.h"
#include "core/app_paths.h"
#include "core/fatal.h"
#include "core/file_io.h"
#include "core/logging.h"
#include "core/resources.h"
#include "core/text_helpers.h"


namespace atelier {
namespace fs = std::filesystem;
namespace {

constexpr const char* kBundleSource = "FileStorage/ApplicationBundleStorage";
constexpr const char* kUpdateSource = "FileStorage/UpdatedBundleStorage";

std::unique_ptr<SqliteDatabase> openOrStop(const fs::path& file, SqliteDatabase::Options options) {
  auto database = SqliteDatabase::open(file, options);
  if (!database) fatalError("Cannot open the database " + file.string() + ": " + database.error());
  return std::move(*database);
}

}  // namespace

ApplicationBundleStorage& ApplicationBundleStorage::shared() {
  static auto* instance = [] {
    auto file = Resources::urlForResource("bundle", "db", "sync/bundleStorage");
    if (!file) fatalError("The shipped database sync/bundleStorage/bundle.db is missing");
    return new ApplicationBundleStorage(*file);
  }();
  return *instance;
}

ApplicationBundleStorage::ApplicationBundleStorage(const fs::path& databaseFile)
    : DatabaseStorage(databaseFile, true, openOrStop(databaseFile, {.readOnly = true, .immutable = true})) {}

StorageResult<> ApplicationBundleStorage::createFile(const std::string&, const std::string&, bool) {
  logError(kBundleSource, "createFile(with:at:isProtected:)", "Cannot create file in application bundle");
  return std::unexpected(FileStorageError::defaultError);
}

StorageResult<> ApplicationBundleStorage::createFileFrom(const fs::path&, const std::string&, bool) {
  logError(kBundleSource, "createFile(from:at:isProtected:)", "Cannot create file in application bundle");
  return std::unexpected(FileStorageError::defaultError);
}

StorageResult<> ApplicationBundleStorage::createDirectory(const std::string&, bool) {
  logError(kBundleSource, "createDirectory(at:isProtected:)", "Cannot create directories in application bundle");
  return std::unexpected(FileStorageError::defaultError);
}

StorageResult<> ApplicationBundleStorage::removeItem(const std::string&) {
  logError(kBundleSource, "removeItem(at:)", "Cannot remove files in application bundle");
  return std::unexpected(FileStorageError::defaultError);
}

fs::path UpdatedBundleStorage::defaultDirectory() {
  if (TestingMode::isOn()) {
    auto directory = AppPaths::temporaryDirectory() / uuidString();
    fs::create_directories(directory);
    return directory;
  }
  auto directory = urlForDirectoryInApplicationSupport(std::string("Update Storage"), false);
  if (!directory) fatalError("The update storage directory cannot be created");
  return *directory;
}

UpdatedBundleStorage& UpdatedBundleStorage::shared() {
  static auto* instance = new UpdatedBundleStorage(defaultDirectory());
  return *instance;
}

UpdatedBundleStorage::UpdatedBundleStorage(const fs::path& directory)
    : DatabaseStorage(directory / "update.db", true, openOrStop(directory / "update.db", {.writeAheadLog = true})) {
  prepareDatabase();
}

void UpdatedBundleStorage::prepareDatabase() {
  std::string error;
  bool migrated = false;
  queue().inTransaction([&](SqliteDatabase::Connection& db) {
    bool hasRow = false;
    if (!db.query("PRAGMA auto_vacuum", {}, [&](const SqlRow&) { hasRow = true; }) ||
        (!hasRow && !db.execute("PRAGMA auto_vacuum = FULL;"))) {
      error = db.lastError();
      return false;
    }
    bool prepared = false;
    db.query("SELECT name FROM sqlite_master WHERE type = 'table' AND name = 'metadata'", {},
             [&](const SqlRow&) { prepared = true; });
    if (prepared) return true;
    auto script = Resources::urlForResource("version1", "sql");
    if (!script) fatalError("The schema script version1.sql is missing");
    auto text = readFileContents(*script);
    if (!text || !db.executeBatch(*text) || !db.execute("INSERT INTO metadata VALUES (?)", {int64_t{1}})) {
      error = text ? db.lastError() : "version1.sql is unreadable";
      return false;
    }
    migrated = true;
    return true;
  });
  if (!error.empty()) {
    logWarning(kUpdateSource, "prepareDatabase()", "f:prepareDatabase \u2013 Error: " + error);
  } else if (migrated) {
    logInfo(kUpdateSource, "prepareDatabase()", "f:prepareDatabase \u2013 Migration complete");
  }
}

void UpdatedBundleStorage::deleteFiles(const std::string& fileToDelete) {
  std::string_view path = fileToDelete;
  if (path.starts_with('/')) path.remove_prefix(1);
  std::string error;
  queue().inTransaction([&](SqliteDatabase::Connection& db) {
    if (db.execute("DELETE FROM tbl_file WHERE path = ?", {std::string(path)})) return true;
    error = db.lastError();
    return false;
  });
  if (!error.empty()) logWarning(kUpdateSource, "deleteFiles(filesToDelete:)", "f:deleteFiles \u2013 Error: " + error);
}

void UpdatedBundleStorage::updateFilemap(const std::string& fileListName, const std::string& filemapData) {
  if (auto stored = DatabaseStorage::createFile(filemapData, fileListName, true); !stored) {
    logError(kUpdateSource, "updateFilemap(fileListName:filemapData:)",
             "Error creating filemap: " + stored.error().description());
  }
}

void UpdatedBundleStorage::createDirectories(const std::set<std::string>& checkedDirs) {
  queue().inTransaction([&](SqliteDatabase::Connection& db) { return clearDirectories(db); });
  logInfo(kUpdateSource, "createDirectories(checkedDirs:)", "Dircount: " + std::to_string(checkedDirs.size()));
  for (const auto& directory : checkedDirs) DatabaseStorage::createDirectory(directory, true);
}

void UpdatedBundleStorage::createDB(const fs::path& archive, const ZipExtractor::Progress& installProgress,
                                    const std::string& fileListName, const std::vector<std::string>& filesToDelete,
                                    const std::string& filemapData, const Completion& completion,
                                    const ZipExtractor& extractor) {
  auto unpacked = AppPaths::temporaryDirectory() / uuidString();
  if (auto result = extractor.unzipFile(archive, unpacked, installProgress); !result) {
    logError(kUpdateSource, "createDB(from:)", "Unzip error: " + result.error());
    return completion(FileStorageError::fileIO);
  }
  for (const auto& path : filesToDelete) deleteFiles(path);
  updateFilemap(fileListName, filemapData);

  std::error_code ec;
  fs::recursive_directory_iterator entries(unpacked, ec);
  if (ec) {
    logError(kUpdateSource, "createDB(from:)", "Path is not a valid directory");
    return completion(FileStorageError::fileIO);
  }
  std::set<std::string> checkedDirs;
  for (const auto& entry : entries) {
    std::error_code statusError;
    if (!entry.is_regular_file(statusError) || statusError) continue;
    if (entry.path().filename().string().starts_with('.')) continue;  // hidden
    auto relative = entry.path().lexically_relative(unpacked).generic_string();
    if (relative.empty()) continue;
    auto data = readFileContents(entry.path());
    StorageResult<> stored = data ? DatabaseStorage::createFile(*data, relative, true)
                                  : std::unexpected(StorageError::database("unreadable " + relative));
    if (!stored) {
      logError(kUpdateSource, "readFile(filename:source:)", "Error reading zip entry into db: " + stored.error().description());
    }
    if (relative.find('/') != std::string::npos) checkedDirs.insert(parentPath(relative));
  }
  createDirectories(checkedDirs);
  fs::remove_all(unpacked, ec);  // the unpacked copy is not needed any more
  completion(std::nullopt);
}

}  // namespace atelier
