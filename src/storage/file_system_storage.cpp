#include "storage/file_system_storage.h"

#include "core/app_paths.h"
#include "core/fatal.h"
#include "core/logging.h"
#include "http/static_directory.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace atelier {
namespace fs = std::filesystem;
namespace {

constexpr const char* kSource = "FileStorage/FileSystemStorage";

const char* levelName(bool isProtected) { return isProtected ? "protected" : "unprotected"; }

// Written beside the target and renamed over it: readers see the old or the new file.
bool writeAtomically(const fs::path& target, const std::string& data, std::string& error) {
  auto temporary = target.string() + ".XXXXXX";
  int fd = ::mkstemp(temporary.data());
  if (fd < 0) {
    error = std::strerror(errno);
    return false;
  }
  size_t written = 0;
  while (written < data.size()) {
    ssize_t n = ::write(fd, data.data() + written, data.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    written += static_cast<size_t>(n);
  }
  bool ok = written == data.size() && ::fchmod(fd, 0644) == 0;
  if (!ok) error = std::strerror(errno);
  ok = (::close(fd) == 0) && ok;
  if (ok && ::rename(temporary.c_str(), target.c_str()) != 0) {
    error = std::strerror(errno);
    ok = false;
  }
  if (!ok) ::unlink(temporary.c_str());
  return ok;
}

}  // namespace

FileSystemStorage::FileSystemStorage(const std::string& name, bool isProtected) : isProtected_(isProtected) {
  auto directory = urlForDirectoryInApplicationSupport("File Storage/" + std::string(isProtected ? "." : "") + name,
                                                       false);
  if (!directory) fatalError("The file storage directory cannot be created: " + name);
  baseURL_ = *directory;
}

FileSystemStorage::FileSystemStorage(AtDirectory directory, bool isProtected)
    : isProtected_(isProtected), baseURL_(std::move(directory.baseURL)) {
  std::error_code ec;
  fs::create_directories(baseURL_, ec);
}

fs::path FileSystemStorage::resolvedURL(const std::string& path) const {
  // A leading "/" is appended like any other text, never taken as absolute.
  return baseURL_ / fs::path(path).relative_path();
}

std::optional<fs::path> FileSystemStorage::url(const std::string& path) const {
  if (hasParentReference(path)) return std::nullopt;  // nothing outside the root
  auto resolved = resolvedURL(path);
  std::error_code ec;
  if (!fs::exists(fs::symlink_status(resolved, ec))) return std::nullopt;
  return resolved;
}

bool FileSystemStorage::fileExists(const std::string& path) const {
  auto resolved = url(path);
  std::error_code ec;
  return resolved && !fs::is_directory(*resolved, ec);
}

bool FileSystemStorage::directoryExists(const std::string& path) const {
  auto resolved = url(path);
  std::error_code ec;
  return resolved && fs::is_directory(*resolved, ec);
}

std::vector<std::string> FileSystemStorage::directoryNames(const std::string& path) const {
  return enumerator(path, Mode::directories);
}

std::vector<std::string> FileSystemStorage::fileNames(const std::string& path) const {
  return enumerator(path, Mode::files);
}

std::vector<std::string> FileSystemStorage::enumerator(const std::string& path, Mode mode) const {
  std::vector<std::string> names;
  if (hasParentReference(path)) return names;
  auto directory = resolvedURL(path);
  std::error_code ec;
  fs::directory_iterator entries(directory, ec);
  if (ec) {
    logError(kSource, "enumerator(at:mode:)",
             "problems creating directory enumerator with \n url " + directory.string() + " \n error " + ec.message());
    return names;
  }
  for (const auto& entry : entries) {
    std::error_code statusError;
    bool matches = mode == Mode::directories ? entry.is_directory(statusError) : entry.is_regular_file(statusError);
    if (!statusError && matches) names.push_back(entry.path().filename().string());
  }
  return names;
}

StorageResult<fs::path> FileSystemStorage::preparedURL(const std::string& path, bool isProtected) const {
  if (isProtected != isProtected_) {
    logError(kSource, "preparedURL(for:isProtected:)",
             std::string("You are trying to create a ") + levelName(isProtected) + " file in a " +
                 levelName(isProtected_) + " storage.");
    return std::unexpected(FileStorageError::inputInvalid);
  }
  if (hasParentReference(path)) {
    logError(kSource, "preparedURL(for:isProtected:)", "Refused a path leaving the storage: " + path);
    return std::unexpected(FileStorageError::inputInvalid);
  }
  auto target = resolvedURL(path);
  std::error_code ec;
  fs::create_directories(target.parent_path(), ec);
  if (ec) {
    logError(kSource, "preparedURL(for:isProtected:)",
             "Error creating directory for file " + target.string() + ": " + ec.message());
    return std::unexpected(FileStorageError::fileIO);
  }
  return target;
}

StorageResult<> FileSystemStorage::createFile(const std::string& data, const std::string& path, bool isProtected) {
  auto target = preparedURL(path, isProtected);
  if (!target) return std::unexpected(target.error());
  std::string error;
  if (!writeAtomically(*target, data, error)) {
    logError(kSource, "createFile(with:at:isProtected:)", "Failed to write file " + target->string() + ": " + error);
    return std::unexpected(FileStorageError::fileIO);
  }
  return {};
}

StorageResult<> FileSystemStorage::createFileFrom(const fs::path& source, const std::string& path, bool isProtected) {
  auto target = preparedURL(path, isProtected);
  if (!target) return std::unexpected(target.error());
  std::error_code ec;
  // Never over an existing item.
  if (fs::exists(fs::symlink_status(*target, ec))) {
    ec = std::make_error_code(std::errc::file_exists);
  } else {
    fs::copy_file(source, *target, fs::copy_options::none, ec);
  }
  if (ec) {
    logError(kSource, "createFile(from:at:isProtected:)", "Failed to copy file " + source.string() + ": " + ec.message());
    return std::unexpected(FileStorageError::fileIO);
  }
  return {};
}

StorageResult<> FileSystemStorage::createDirectory(const std::string& path, bool isProtected) {
  auto target = preparedURL(path, isProtected);
  if (!target) return std::unexpected(target.error());
  std::error_code ec;
  fs::create_directories(*target, ec);
  if (ec) {
    logError(kSource, "createDirectory(at:isProtected:)", target->string() + ": " + ec.message());
    return std::unexpected(FileStorageError::fileIO);
  }
  return {};
}

StorageResult<> FileSystemStorage::removeItem(const std::string& path) {
  auto target = url(path);
  if (!target) return std::unexpected(FileStorageError::fileNotFound);
  std::error_code ec;
  fs::remove_all(*target, ec);
  if (ec) {
    logError(kSource, "removeItem(at:)", "Failed to remove file " + target->string() + ": " + ec.message());
    return std::unexpected(FileStorageError::fileIO);
  }
  return {};
}

void FileSystemStorage::respondWithContent(const fs::path& url, const std::shared_ptr<ResponseHandler>& handler,
                                           const HeaderTable&) const {
  std::error_code ec;
  std::optional<HttpResponse> response;
  if (fs::is_regular_file(url, ec)) response = HttpResponse::file(url);
  // A file that cannot be opened is answered too: an unanswered request would hang.
  handler->complete(response ? std::move(response) : HttpResponse::text("File not found", 404));
}

}  // namespace atelier
