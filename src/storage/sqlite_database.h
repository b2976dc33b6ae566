#pragma once

#include <cstdint>
#include <expected>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <variant>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace atelier {

// A blob bound to or read from a statement.
struct Blob {
  std::string bytes;
};
using SqlValue = std::variant<std::nullptr_t, int64_t, std::string, Blob>;

// One row of a result, by column name.
class SqlRow {
 public:
  explicit SqlRow(sqlite3_stmt* statement) : statement_(statement) {}
  bool isNull(const char* column) const;
  int64_t integer(const char* column) const;
  std::string text(const char* column) const;
  std::optional<std::string> blob(const char* column) const;  // nothing for NULL

 private:
  int index(const char* column) const;
  sqlite3_stmt* statement_;
};

// One connection, reached only through its mutex: statements of one
// database never run at once, and callers on any thread see finished work.
class SqliteDatabase {
 public:
  struct Options {
    bool readOnly = false;
    bool immutable = false;  // a file nobody changes (the shipped database)
    bool writeAheadLog = false;
  };
  static std::expected<std::unique_ptr<SqliteDatabase>, std::string> open(const std::filesystem::path& file,
                                                                          Options options);
  ~SqliteDatabase();

  class Connection {
   public:
    explicit Connection(SqliteDatabase& database) : database_(database), db_(database.db_) {}
    // Runs the statement, calling onRow for each row; false (see lastError) on failure.
    bool query(const std::string& sql, const std::vector<SqlValue>& parameters,
               const std::function<void(const SqlRow&)>& onRow = {});
    bool execute(const std::string& sql, const std::vector<SqlValue>& parameters = {}) {
      return query(sql, parameters);
    }
    bool executeBatch(const std::string& sql);
    std::string lastError() const;

   private:
    SqliteDatabase& database_;
    sqlite3* db_;
  };

  // Plain access under the lock.
  template <class F>
  auto inDatabase(F&& body) {
    std::lock_guard lock(mutex_);
    Connection connection(*this);
    return body(connection);
  }
  // A transaction under the lock: body returns false to roll back.
  bool inTransaction(const std::function<bool(Connection&)>& body);

 private:
  explicit SqliteDatabase(sqlite3* db) : db_(db) {}
  // Prepared once per statement text: lookups repeat the same few statements.
  sqlite3_stmt* prepared(const std::string& sql);

  std::mutex mutex_;
  sqlite3* db_;
  std::unordered_map<std::string, sqlite3_stmt*> statements_;
};

}  // namespace atelier
