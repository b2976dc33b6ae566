#pragma once

#include "http/http_server.h"
#include "http/response_handler.h"
#include "serving/website_data_cleaner.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>

namespace atelier {

// The loopback server the editor is loaded from: "_webapp" serves the web
// application's folder, "_file" local files, and every other registered
// prefix goes to its route handler on the main thread.
class RequestProxy {
 public:
  using RouteHandler = std::function<void(std::shared_ptr<HttpRequest> request, std::string remainingPath,
                                          HeaderTable headers, std::shared_ptr<ResponseHandler> responseHandler)>;

  // The process-wide instance, created and started on first use.
  static RequestProxy& shared();

  explicit RequestProxy(HttpServerOptions options = {});
  ~RequestProxy();

  void registerRoute(const std::string& prefix, RouteHandler handler);
  uint16_t port() const { return port_; }
  // Starts on the remembered port ("TzProxyPort"), else on a free one.
  void createWebserver();
  // Filled in by the web view layer; without one, nothing is cleaned.
  static void setWebsiteDataCleaner(std::shared_ptr<WebsiteDataCleaner> cleaner);

 private:
  void setup();
  void startServer(bool retryOnFailure);
  bool matches(const HttpRequest& request) const;
  void process(std::shared_ptr<HttpRequest> request, HttpServer::Completion completion) const;
  static void fileRoute(std::shared_ptr<HttpRequest> request, std::string remainingPath, HeaderTable headers,
                        std::shared_ptr<ResponseHandler> responseHandler);

  HttpServerOptions options_;
  mutable std::shared_mutex callbacksMutex_;
  std::map<std::string, RouteHandler> callbacks_;
  std::unique_ptr<HttpServer> webserver_;
  std::filesystem::path webappDirectory_;
  uint16_t port_ = 0;
};

}  // namespace atelier
