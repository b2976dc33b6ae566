#include "serving/request_proxy.h"

#include "core/app_info.h"
#include "core/device_storage_manager.h"
#include "core/fatal.h"
#include "core/logging.h"
#include "core/main_queue.h"
#include "core/resources.h"
#include "http/file_access_policy.h"
#include "http/local_url.h"
#include "http/proxy_address.h"

#include <cstdio>

namespace atelier {
namespace {

constexpr const char* kSource = "Webview Communication/RequestProxy";
constexpr const char* kPortKey = "TzProxyPort";

std::mutex cleanerMutex;
std::shared_ptr<WebsiteDataCleaner> websiteDataCleaner;

std::shared_ptr<WebsiteDataCleaner> cleaner() {
  std::lock_guard lock(cleanerMutex);
  return websiteDataCleaner;
}

UserDefaults* defaults() {
  auto* manager = DeviceStorageManager::shared();
  return manager ? &manager->storage() : nullptr;
}

std::filesystem::path webApplicationDirectory() {
  if (TestingMode::isOn()) {
    auto index = Resources::urlForTestResource("index", "html", "testFiles/webapp");
    if (!index) fatalError("Only call from tests");
    return index->parent_path();
  }
  auto index = Resources::urlForResource("index", "html", "sync/webapp");
  if (!index) {
    logError(kSource, "setup()", "The web application's index.html is missing from the resources");
    return Resources::directory() / "sync" / "webapp";
  }
  return index->parent_path();
}

}  // namespace

RequestProxy& RequestProxy::shared() {
  static auto* proxy = new RequestProxy();  // lives for the process
  return *proxy;
}

RequestProxy::RequestProxy(HttpServerOptions options) : options_(options) {
  logDebug(kSource, "init()", "test - about to setup...");
  std::printf("test - about to setup...\n");
  setup();
}

RequestProxy::~RequestProxy() = default;

void RequestProxy::setWebsiteDataCleaner(std::shared_ptr<WebsiteDataCleaner> cleanerToUse) {
  std::lock_guard lock(cleanerMutex);
  websiteDataCleaner = std::move(cleanerToUse);
}

void RequestProxy::setup() {
  webserver_ = std::make_unique<HttpServer>(options_);
  webserver_->addHandler([this](const HttpRequest& request) { return matches(request); },
                         [this](std::shared_ptr<HttpRequest> request, HttpServer::Completion completion) {
                           process(std::move(request), std::move(completion));
                         });
  logInfo(kSource, "setup()", "test - bundle main url: " + LocalURL::fromPath(Resources::directory()).url);
  webappDirectory_ = webApplicationDirectory();
  logInfo(kSource, "setup()", "test - base url: " + LocalURL::fromPath(webappDirectory_).url);
  webserver_->addDirectoryHandler(std::string("/") + ProxyAddress::kWebappPrefix + "/", webappDirectory_, 0);
  registerRoute(ProxyAddress::kFilePrefix, &RequestProxy::fileRoute);
  createWebserver();
  port_ = webserver_->port();
  ProxyAddress::setPort(port_);
}

void RequestProxy::registerRoute(const std::string& prefix, RouteHandler handler) {
  std::unique_lock lock(callbacksMutex_);
  callbacks_[prefix] = std::move(handler);
}

void RequestProxy::createWebserver() { startServer(/*retryOnFailure=*/true); }

void RequestProxy::startServer(bool retryOnFailure) {
  auto* settings = defaults();
  int64_t remembered = settings ? settings->integerForKey(kPortKey).value_or(0) : 0;
  if (remembered < 0 || remembered > 65535) remembered = 0;
  port_ = static_cast<uint16_t>(remembered);
  if (auto clean = cleaner()) clean->cleanWebviewCache();

  auto started = webserver_->start(port_);
  if (started) {
    port_ = *started;
    if (settings) settings->setInteger(kPortKey, port_);
    return;
  }
  logError(kSource, "createWebserver()", "Could not start local webserver! " + started.error());
  if (settings) settings->setInteger(kPortKey, 0);
  // The page's origin is about to change: its old data would be stranded.
  if (auto clean = cleaner()) clean->removeAllWebsiteData();
  if (retryOnFailure && remembered != 0) startServer(/*retryOnFailure=*/false);
}

bool RequestProxy::matches(const HttpRequest& request) const {
  auto components = pathComponents(request.path);
  if (components.size() < 2) return false;
  std::shared_lock lock(callbacksMutex_);
  return callbacks_.contains(components[1]);
}

void RequestProxy::process(std::shared_ptr<HttpRequest> request, HttpServer::Completion completion) const {
  auto components = pathComponents(request->path);
  if (components.size() < 2) return completion(std::nullopt);
  const auto& prefix = components[1];
  RouteHandler handler;
  {
    std::shared_lock lock(callbacksMutex_);
    auto found = callbacks_.find(prefix);
    if (found == callbacks_.end()) return completion(std::nullopt);
    handler = found->second;
  }
  auto responseHandler = std::make_shared<ResponseHandler>(std::move(completion));
  auto remainingPath = request->path.size() > prefix.size() + 1 ? request->path.substr(prefix.size() + 1) : "";
  MainQueue::post([handler = std::move(handler), request, remainingPath = std::move(remainingPath),
                   responseHandler]() mutable {
    auto headers = request->headers;
    handler(std::move(request), std::move(remainingPath), std::move(headers), std::move(responseHandler));
  });
}

void RequestProxy::fileRoute(std::shared_ptr<HttpRequest>, std::string remainingPath, HeaderTable,
                             std::shared_ptr<ResponseHandler> responseHandler) {
  // Only the application's own files and what the user chose are served.
  auto permitted = FileAccessPolicy::permittedPath(remainingPath);
  std::optional<HttpResponse> response = permitted ? HttpResponse::file(*permitted) : std::nullopt;
  if (!response) {
    logError(kSource, "fileRoute", "File not served: " + remainingPath);
    response = HttpResponse::text("Not Found", 404);
  }
  responseHandler->complete(std::move(response));
}

}  // namespace atelier
