#include "storage/database_storage.h"

#include "core/file_io.h"
#include "core/logging.h"
#include "storage/deflate_codec.h"


namespace atelier {
namespace fs = std::filesystem;
namespace {

constexpr const char* kSource = "FileStorage/DatabaseStorage";

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

SqlValue bound(const std::optional<std::string>& path) { return path.value_or(""); }

}  // namespace

DatabaseStorage::DatabaseStorage(fs::path dbURL, bool isProtected, std::unique_ptr<SqliteDatabase> database)
    : isProtected_(isProtected), dbURL_(std::move(dbURL)), queue_(std::move(database)) {}

std::optional<std::string> DatabaseStorage::normalizedPath(const std::string& path) {
  std::string_view text = path;
  if (text.empty()) return std::nullopt;
  if (text.starts_with('/')) text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  if (text.ends_with('/')) text.remove_suffix(1);
  // As a relative URL reference: the path ends at "?" or "#", escapes are decoded.
  text = text.substr(0, text.find_first_of("?#"));
  std::string decoded;
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x20 || c == 0x7F) return std::nullopt;
    if (c == '%') {
      int high = i + 1 < text.size() ? hexValue(text[i + 1]) : -1;
      int low = i + 2 < text.size() ? hexValue(text[i + 2]) : -1;
      if (high < 0 || low < 0) return std::nullopt;
      decoded += static_cast<char>(high * 16 + low);
      i += 2;
    } else {
      decoded += static_cast<char>(c);
    }
  }
  return decoded;
}

std::string DatabaseStorage::parentPath(const std::string& normalized) {
  auto slash = normalized.rfind('/');
  return slash == std::string::npos ? std::string() : normalized.substr(0, slash);
}

std::optional<DatabaseStorage::FileRow> DatabaseStorage::fileResult(const std::optional<std::string>& path) const {
  return queue_->inDatabase([&](SqliteDatabase::Connection& db) -> std::optional<FileRow> {
    std::optional<FileRow> result;
    bool ok = db.query("SELECT * FROM tbl_file WHERE path = ? LIMIT 1", {bound(path)}, [&](const SqlRow& row) {
      if (!result) result = FileRow{row.blob("data"), row.integer("compressed") != 0};
    });
    if (!ok) {
      logWarning(kSource, "fileResult(with:)", "f: fileResult \u2013 Error: " + db.lastError());
      return std::nullopt;
    }
    return result;
  });
}

bool DatabaseStorage::directoryResult(const std::optional<std::string>& path) const {
  return queue_->inDatabase([&](SqliteDatabase::Connection& db) {
    bool found = false;
    if (!db.query("SELECT * FROM tbl_dir WHERE path = ? LIMIT 1", {bound(path)},
                  [&](const SqlRow&) { found = true; })) {
      logWarning(kSource, "directoryResult(with:)", "f: directoryResult \u2013 Error: " + db.lastError());
      return false;
    }
    return found;
  });
}

std::optional<fs::path> DatabaseStorage::url(const std::string& path) const {
  auto normalized = normalizedPath(path);
  if (!normalized) return std::nullopt;
  auto row = fileResult(normalized);
  if ((row && row->data) || directoryResult(normalized)) return fs::path(*normalized);
  return std::nullopt;
}

bool DatabaseStorage::fileExists(const std::string& path) const {
  auto row = fileResult(normalizedPath(path));
  return row && row->data;
}

bool DatabaseStorage::directoryExists(const std::string& path) const { return directoryResult(normalizedPath(path)); }

std::vector<std::string> DatabaseStorage::directoryNames(const std::string& path) const {
  std::vector<std::string> names;
  if (!directoryExists(path)) return names;
  queue_->inDatabase([&](SqliteDatabase::Connection& db) {
    // "? || '%'" rather than CONCAT(), which older SQLite releases lack.
    if (!db.query("SELECT * from tbl_dir WHERE path LIKE ? || '%'", {path},
                  [&](const SqlRow& row) { names.push_back(row.text("path")); })) {
      logWarning(kSource, "directoryNames(at:)", "f:directoryNames \u2013 Error: " + db.lastError());
    }
  });
  return names;
}

std::vector<std::string> DatabaseStorage::fileNames(const std::string& path) const {
  std::vector<std::string> names;
  if (!directoryExists(path)) return names;
  queue_->inDatabase([&](SqliteDatabase::Connection& db) {
    if (!db.query("SELECT * from tbl_file WHERE parent_dir = ?", {path},
                  [&](const SqlRow& row) { names.push_back(row.text("path")); })) {
      logWarning(kSource, "fileNames(at:)", "f:fileNames \u2013 Error: " + db.lastError());
      names.clear();
    }
  });
  return names;
}

StorageResult<> DatabaseStorage::createFile(const std::string& data, const std::string& path, bool) {
  if (data.empty()) return {};
  auto normalized = normalizedPath(path);
  std::string parent = normalized ? parentPath(*normalized) : "";
  const std::string* stored = &data;
  std::optional<std::string> compressed;
  if (normalized && fs::path(*normalized).extension() == ".json") {
    compressed = deflateData(data, 5);
    if (compressed) stored = &*compressed;
  }
  std::string error;
  bool ok = queue_->inTransaction([&](SqliteDatabase::Connection& db) {
    if (db.execute("REPLACE INTO tbl_file (path, parent_dir, compressed, size, data) VALUES (?, ?, ?, ?, ?)",
                   {bound(normalized), parent, int64_t{compressed ? 1 : 0}, static_cast<int64_t>(stored->size()),
                    Blob{*stored}})) {
      return true;
    }
    error = db.lastError();
    return false;
  });
  if (!ok) {
    logError(kSource, "createFile(with:at:isProtected:)", "Database Error: " + error);
    return std::unexpected(FileStorageError::defaultError);
  }
  return {};
}

StorageResult<> DatabaseStorage::createFileFrom(const fs::path& source, const std::string& path, bool isProtected) {
  auto data = readFileContents(source);
  if (!data) return std::unexpected(StorageError::database("Could not read " + source.string()));
  return createFile(*data, path, isProtected);
}

StorageResult<> DatabaseStorage::createDirectory(const std::string& path, bool) {
  auto normalized = normalizedPath(path);
  std::string parent = normalized ? parentPath(*normalized) : "";
  std::string error;
  bool ok = queue_->inTransaction([&](SqliteDatabase::Connection& db) {
    if (db.execute("REPLACE INTO tbl_dir VALUES (?, ?)", {bound(normalized), parent})) return true;
    error = db.lastError();
    return false;
  });
  if (!ok) {
    logWarning(kSource, "createDirectory(at:isProtected:)", "f:createDirectory \u2013 Error: " + error);
    return std::unexpected(StorageError::database(error));
  }
  return {};
}

StorageResult<> DatabaseStorage::removeItem(const std::string& path) {
  // Rows leave only through the update machinery.
  if (!fileExists(path)) return std::unexpected(FileStorageError::fileNotFound);
  return {};
}

StorageResult<std::string> DatabaseStorage::contents(const fs::path& url) const {
  auto row = fileResult(url.string());
  if (!row || !row->data) return std::unexpected(FileStorageError::fileNotFound);
  if (row->compressed) {
    if (auto inflated = inflateData(*row->data)) return std::move(*inflated);
  }
  return std::move(*row->data);
}

void DatabaseStorage::respondWithContent(const fs::path& url, const std::shared_ptr<ResponseHandler>& handler,
                                         const HeaderTable&) const {
  auto bytes = contents(url);
  handler->complete(bytes ? HttpResponse::data(std::move(*bytes), "") : HttpResponse::text("File not found", 404));
}

bool DatabaseStorage::clearDirectories(SqliteDatabase::Connection& db) {
  if (db.execute("DELETE FROM tbl_dir")) return true;
  logWarning(kSource, "clearDirectoryTable()",
             "f:clearDirectoryTable \u2013 Entries were unable to be completely removed. " + db.lastError());
  return false;
}

void DatabaseStorage::clearFileTable() {
  queue_->inTransaction([&](SqliteDatabase::Connection& db) {
    if (db.execute("DELETE FROM tbl_file") && db.execute("DELETE FROM tbl_dir")) return true;
    logWarning(kSource, "clearFileTable()",
               "f:clearFileTable \u2013 Entries were unable to be completely removed. " + db.lastError());
    return false;
  });
}

void DatabaseStorage::clearDirectoryTable() {
  queue_->inTransaction([&](SqliteDatabase::Connection& db) { return clearDirectories(db); });
}

}  // namespace atelier
