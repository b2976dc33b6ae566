#include "storage/sqlite_database.h"

#include <sqlite3.h>

#include <cstring>

namespace atelier {

int SqlRow::index(const char* column) const {
  int count = sqlite3_column_count(statement_);
  for (int i = 0; i < count; ++i) {
    if (std::strcmp(sqlite3_column_name(statement_, i), column) == 0) return i;
  }
  return -1;
}

bool SqlRow::isNull(const char* column) const {
  int i = index(column);
  return i < 0 || sqlite3_column_type(statement_, i) == SQLITE_NULL;
}

int64_t SqlRow::integer(const char* column) const {
  int i = index(column);
  return i < 0 ? 0 : sqlite3_column_int64(statement_, i);
}

std::string SqlRow::text(const char* column) const {
  int i = index(column);
  if (i < 0) return {};
  const auto* text = sqlite3_column_text(statement_, i);
  return text ? std::string(reinterpret_cast<const char*>(text), sqlite3_column_bytes(statement_, i)) : std::string();
}

std::optional<std::string> SqlRow::blob(const char* column) const {
  int i = index(column);
  if (i < 0 || sqlite3_column_type(statement_, i) == SQLITE_NULL) return std::nullopt;
  const void* data = sqlite3_column_blob(statement_, i);
  int size = sqlite3_column_bytes(statement_, i);
  return data ? std::string(static_cast<const char*>(data), static_cast<size_t>(size)) : std::string();
}

std::expected<std::unique_ptr<SqliteDatabase>, std::string> SqliteDatabase::open(const std::filesystem::path& file,
                                                                                  Options options) {
  sqlite3* db = nullptr;
  int flags = SQLITE_OPEN_URI | SQLITE_OPEN_FULLMUTEX;
  flags |= options.readOnly ? SQLITE_OPEN_READONLY : (SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
  std::string name = file.string();
  if (options.immutable) {
    char* uri = sqlite3_mprintf("file:%s?immutable=1", name.c_str());
    name = uri;
    sqlite3_free(uri);
  }
  if (sqlite3_open_v2(name.c_str(), &db, flags, nullptr) != SQLITE_OK) {
    std::string error = db ? sqlite3_errmsg(db) : "out of memory";
    sqlite3_close(db);
    return std::unexpected(error);
  }
  sqlite3_busy_timeout(db, 5000);
  std::unique_ptr<SqliteDatabase> database(new SqliteDatabase(db));
  if (options.writeAheadLog) {
    // Each file is its own transaction: WAL with NORMAL keeps them cheap and
    // still loses no committed file when the process dies.
    Connection connection(*database);
    connection.executeBatch("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;");
  }
  return database;
}

SqliteDatabase::~SqliteDatabase() {
  for (auto& [sql, statement] : statements_) sqlite3_finalize(statement);
  sqlite3_close_v2(db_);
}

sqlite3_stmt* SqliteDatabase::prepared(const std::string& sql) {
  if (auto found = statements_.find(sql); found != statements_.end()) return found->second;
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) return nullptr;
  statements_.emplace(sql, statement);
  return statement;
}

bool SqliteDatabase::Connection::query(const std::string& sql, const std::vector<SqlValue>& parameters,
                                       const std::function<void(const SqlRow&)>& onRow) {
  sqlite3_stmt* statement = database_.prepared(sql);
  if (!statement) return false;
  for (size_t i = 0; i < parameters.size(); ++i) {
    int position = static_cast<int>(i + 1);
    std::visit(
        [&](const auto& value) {
          using T = std::decay_t<decltype(value)>;
          if constexpr (std::is_same_v<T, std::nullptr_t>) {
            sqlite3_bind_null(statement, position);
          } else if constexpr (std::is_same_v<T, int64_t>) {
            sqlite3_bind_int64(statement, position, value);
          } else if constexpr (std::is_same_v<T, std::string>) {
            sqlite3_bind_text(statement, position, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
          } else {
            sqlite3_bind_blob(statement, position, value.bytes.data(), static_cast<int>(value.bytes.size()),
                              SQLITE_TRANSIENT);
          }
        },
        parameters[i]);
  }
  int result;
  SqlRow row(statement);
  while ((result = sqlite3_step(statement)) == SQLITE_ROW) {
    if (onRow) onRow(row);
  }
  sqlite3_reset(statement);
  sqlite3_clear_bindings(statement);
  return result == SQLITE_DONE;
}

bool SqliteDatabase::Connection::executeBatch(const std::string& sql) {
  return sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

std::string SqliteDatabase::Connection::lastError() const { return sqlite3_errmsg(db_); }

bool SqliteDatabase::inTransaction(const std::function<bool(Connection&)>& body) {
  std::lock_guard lock(mutex_);
  Connection connection(*this);
  if (!connection.executeBatch("BEGIN")) return false;
  if (body(connection)) return connection.executeBatch("COMMIT");
  connection.executeBatch("ROLLBACK");
  return false;
}

}  // namespace atelier
