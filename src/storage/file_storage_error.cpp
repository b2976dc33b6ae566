#include "storage/file_storage_error.h"

#include <array>
#include <utility>

namespace atelier {
namespace {

constexpr std::array<std::pair<FileStorageError, const char*>, 9> kErrors{{
    {FileStorageError::noError, "noError"},
    {FileStorageError::defaultError, "defaultError"},
    {FileStorageError::unknownError, "unknownError"},
    {FileStorageError::inputMissing, "inputMissing"},
    {FileStorageError::inputInvalid, "inputInvalid"},
    {FileStorageError::versionMismatch, "versionMismatch"},
    {FileStorageError::fileNotFound, "fileNotFound"},
    {FileStorageError::fileExists, "fileExists"},
    {FileStorageError::fileIO, "fileIO"},
}};

}  // namespace

std::optional<FileStorageError> fileStorageErrorFromCode(int64_t code) {
  for (auto [error, name] : kErrors) {
    if (static_cast<int64_t>(error) == code) return error;
  }
  return std::nullopt;
}

std::string_view describe(FileStorageError error) {
  for (auto [candidate, name] : kErrors) {
    if (candidate == error) return name;
  }
  return "unknownError";
}

std::expected<std::string, std::string> toPayload(FileStorageError error) {
  return std::to_string(static_cast<int64_t>(error));
}

}  // namespace atelier
