#pragma once

#include "http/http_client.h"
#include "serving/custom_url_handler.h"
#include "serving/request_proxy.h"

#include <memory>

namespace atelier {

// "__tzr_proxy": the page's requests to its services, as
// http://localhost:<port>/__tzr_proxy/<host>/<path>, go out natively to
// https://<host>/<path>; answers come back with their status, body and
// headers, cookies rewritten for the local origin. Reserved hosts
// ("container.projects") are answered on the machine.
class AjaxProxy : public std::enable_shared_from_this<AjaxProxy> {
 public:
  static std::shared_ptr<AjaxProxy> create(RequestProxy& proxy, HttpClient& client,
                                           std::shared_ptr<CustomURLHandler> customHandler);
  const std::shared_ptr<CustomURLHandler>& customHandler() const { return customHandler_; }

  // The route handler.
  void handle(const HttpRequest& request, const std::shared_ptr<ResponseHandler>& responseHandler);
  // Turns the client's result into the page's answer.
  static void respond(std::expected<HttpClientResponse, std::string> result,
                      const std::shared_ptr<ResponseHandler>& responseHandler);

 private:
  AjaxProxy(HttpClient& client, std::shared_ptr<CustomURLHandler> customHandler)
      : client_(client), customHandler_(std::move(customHandler)) {}
  HttpClient& client_;
  std::shared_ptr<CustomURLHandler> customHandler_;
};

}  // namespace atelier
