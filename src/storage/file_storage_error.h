#pragma once

#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>

namespace atelier {

// Storage failures; the page receives the bare number.
enum class FileStorageError : int64_t {
  noError = 0,
  defaultError = 1,
  unknownError = 5,
  inputMissing = 10,
  inputInvalid = 11,
  versionMismatch = 20,
  fileNotFound = 100,
  fileExists = 101,
  fileIO = 110,
};

std::optional<FileStorageError> fileStorageErrorFromCode(int64_t code);
std::string_view describe(FileStorageError error);
// The bridge payload: the code in decimal.
std::expected<std::string, std::string> toPayload(FileStorageError error);

// A failed storage operation: its code, and for database failures the
// database's own message (those are not storage codes of their own).
struct StorageError {
  FileStorageError code = FileStorageError::defaultError;
  std::string databaseMessage;

  StorageError(FileStorageError errorCode) : code(errorCode) {}  // NOLINT: errors convert implicitly
  static StorageError database(std::string message) {
    StorageError error(FileStorageError::defaultError);
    error.databaseMessage = std::move(message);
    return error;
  }
  bool isDatabaseError() const { return !databaseMessage.empty(); }
  std::string description() const { return isDatabaseError() ? databaseMessage : std::string(describe(code)); }
  bool operator==(FileStorageError other) const { return !isDatabaseError() && code == other; }
};

template <class T = void>
using StorageResult = std::expected<T, StorageError>;

}  // namespace atelier
