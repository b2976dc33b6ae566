#pragma once

#include "serving/request_proxy.h"
#include "storage/multi_level_file_storage.h"

#include <memory>

namespace atelier {

// The "_data" route: the page reads the layered storage (its data files, the
// updated bundle and what the application wrote) under this prefix.
class LocalStorageController : public std::enable_shared_from_this<LocalStorageController> {
 public:
  static std::shared_ptr<LocalStorageController> create(RequestProxy& proxy,
                                                        std::shared_ptr<MultiLevelFileStorage> fileStorage);
  const std::shared_ptr<MultiLevelFileStorage>& fileStorage() const { return fileStorage_; }

 private:
  explicit LocalStorageController(std::shared_ptr<MultiLevelFileStorage> fileStorage)
      : fileStorage_(std::move(fileStorage)) {}
  std::shared_ptr<MultiLevelFileStorage> fileStorage_;
};

}  // namespace atelier
