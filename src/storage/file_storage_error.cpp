#include "storage/file_storage_error.h"

#include "core/enum_names.h"

namespace atelier {
namespace {

constexpr EnumNames<FileStorageError, 9> kErrors{{{
    {FileStorageError::noError, "noError"},
    {FileStorageError::defaultError, "defaultError"},
    {FileStorageError::unknownError, "unknownError"},
    {FileStorageError::inputMissing, "inputMissing"},
    {FileStorageError::inputInvalid, "inputInvalid"},
    {FileStorageError::versionMismatch, "versionMismatch"},
    {FileStorageError::fileNotFound, "fileNotFound"},
    {FileStorageError::fileExists, "fileExists"},
    {FileStorageError::fileIO, "fileIO"},
}}};

}  // namespace

std::optional<FileStorageError> fileStorageErrorFromCode(int64_t code) { return kErrors.fromCode(code); }

std::string_view describe(FileStorageError error) { return kErrors.name(error, "unknownError"); }

std::expected<std::string, std::string> toPayload(FileStorageError error) {
  return std::to_string(static_cast<int64_t>(error));
}

}  // namespace atelier
