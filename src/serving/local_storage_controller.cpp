#include "serving/local_storage_controller.h"

namespace atelier {

std::shared_ptr<LocalStorageController> LocalStorageController::create(
    RequestProxy& proxy, std::shared_ptr<MultiLevelFileStorage> fileStorage) {
  std::shared_ptr<LocalStorageController> controller(new LocalStorageController(std::move(fileStorage)));
  proxy.registerRoute("_data", [weak = std::weak_ptr(controller)](std::shared_ptr<HttpRequest>, std::string remainingPath,
                                                                 HeaderTable headers,
                                                                 std::shared_ptr<ResponseHandler> responseHandler) {
    if (auto self = weak.lock()) {
      self->fileStorage_->respondWithContent(remainingPath, responseHandler, headers);
    } else {
      responseHandler->complete(HttpResponse::text("Not Found", 404));
    }
  });
  return controller;
}

}  // namespace atelier
