#include "serving/custom_url_handler.h"

namespace atelier {

void CustomURLHandler::handle(const std::string& targetURL, const std::string& host, const std::string& method,
                              const std::optional<std::string>& body,
                              const std::shared_ptr<ResponseHandler>& responseHandler) const {
  auto found = handlers.find(host);
  if (found == handlers.end()) return responseHandler->complete(HttpResponse::text("Not Found", 404));
  found->second->handleRequest(targetURL, method, body, responseHandler);
}

}  // namespace atelier
