#include "storage/multi_level_file_storage.h"

#include "core/logging.h"
#include "storage/bundle_storages.h"
#include "storage/file_system_storage.h"

namespace atelier {
namespace {

constexpr const char* kSource = "FileStorage/MultiLevelFileStorage";

bool hasDots(const std::string& path) { return path.find("..") != std::string::npos; }

// The shared bundle storages live for the process; the layers only point at them.
template <class T>
std::shared_ptr<FileStorageProtocol> unowned(T& storage) {
  return std::shared_ptr<FileStorageProtocol>(&storage, [](FileStorageProtocol*) {});
}

unsigned httpStatusFor(FileStorageError error) {
  switch (error) {
    case FileStorageError::fileNotFound: return 404;
    case FileStorageError::inputInvalid: return 400;
    default: return 500;
  }
}

}  // namespace

MultiLevelFileStorage::MultiLevelFileStorage()
    : MultiLevelFileStorage({std::make_shared<FileSystemStorage>("protectedFileStorage", true),
                             std::make_shared<FileSystemStorage>("unprotectedFileStorage", false),
                             unowned(UpdatedBundleStorage::shared()), unowned(ApplicationBundleStorage::shared())}) {}

MultiLevelFileStorage::MultiLevelFileStorage(std::vector<std::shared_ptr<FileStorageProtocol>> storageProviders)
    : storageProviders_(std::move(storageProviders)) {}

std::shared_ptr<FileStorageProtocol> MultiLevelFileStorage::firstHolding(const std::string& path) const {
  for (const auto& storage : storageProviders_) {
    if (storage->url(path)) return storage;
  }
  return nullptr;
}

StorageResult<MultiLevelFileStorage::Resolved> MultiLevelFileStorage::resolve(const std::string& path) const {
  if (hasDots(path)) return std::unexpected(FileStorageError::inputInvalid);
  for (const auto& storage : storageProviders_) {
    if (auto url = storage->url(path)) return Resolved{*url, storage};
  }
  return std::unexpected(FileStorageError::fileNotFound);
}

StorageResult<bool> MultiLevelFileStorage::fileExists(const std::string& path) const {
  auto storage = firstHolding(path);
  if (!storage) return std::unexpected(FileStorageError::fileNotFound);
  return storage->fileExists(path);
}

StorageResult<bool> MultiLevelFileStorage::directoryExists(const std::string& path) const {
  auto storage = firstHolding(path);
  if (!storage) return std::unexpected(FileStorageError::fileNotFound);
  return storage->directoryExists(path);
}

std::shared_ptr<FileStorageProtocol> MultiLevelFileStorage::writable(bool isProtected) const {
  for (const auto& storage : storageProviders_) {
    if (storage->isProtected() == isProtected && storage->canModifyFiles()) return storage;
  }
  return nullptr;
}

StorageResult<> MultiLevelFileStorage::createFile(const std::string& data, const std::string& path, bool isProtected) {
  if (hasDots(path)) return std::unexpected(FileStorageError::inputInvalid);
  auto storage = writable(isProtected);
  return storage ? storage->createFile(data, path, isProtected) : StorageResult<>{};
}

StorageResult<> MultiLevelFileStorage::createFileFrom(const std::filesystem::path& source, const std::string& path,
                                                      bool isProtected) {
  if (hasDots(path)) return std::unexpected(FileStorageError::inputInvalid);
  auto storage = writable(isProtected);
  return storage ? storage->createFileFrom(source, path, isProtected) : StorageResult<>{};
}

StorageResult<> MultiLevelFileStorage::createDirectory(const std::string& path, bool isProtected) {
  if (hasDots(path)) return std::unexpected(FileStorageError::inputInvalid);
  auto storage = writable(isProtected);
  return storage ? storage->createDirectory(path, isProtected) : StorageResult<>{};
}

StorageResult<> MultiLevelFileStorage::removeItem(const std::string& path) {
  if (hasDots(path)) return std::unexpected(FileStorageError::inputInvalid);
  for (const auto& storage : storageProviders_) {
    if (!storage->canModifyFiles() || !storage->url(path)) continue;
    if (auto removed = storage->removeItem(path); !removed) return removed;
  }
  return {};
}

void MultiLevelFileStorage::respondWithContent(const std::string& path, const std::shared_ptr<ResponseHandler>& handler,
                                               const HeaderTable& headers) const {
  auto resolved = resolve(path);
  if (resolved && resolved->storage->directoryExists(path)) {
    auto index = resolved->storage->url(path + "/index.json");
    resolved = index ? StorageResult<Resolved>(Resolved{*index, resolved->storage})
                     : std::unexpected(StorageError(FileStorageError::fileNotFound));
  }
  if (resolved) return resolved->storage->respondWithContent(resolved->url, handler, headers);

  const auto& error = resolved.error();
  if (error.isDatabaseError()) {
    logError(kSource, "respondWithContent(at:responseHandler:forHeader:)",
             "Unknown error while looking for file: " + error.description());
  } else {
    logError(kSource, "respondWithContent(at:responseHandler:forHeader:)", "Could not find file at " + path);
  }
  // Raw storage codes (100, 11, 5) are no HTTP statuses; the code travels in a header.
  auto code = error.isDatabaseError() ? FileStorageError::unknownError : error.code;
  auto response = HttpResponse::text("Not Found", error.isDatabaseError() ? 500 : httpStatusFor(code));
  response.setHeader("X-Storage-Error", std::to_string(static_cast<int64_t>(code)));
  handler->complete(std::move(response));
}

}  // namespace atelier
