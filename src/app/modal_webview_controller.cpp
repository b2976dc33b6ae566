#include "app/modal_webview_controller.h"

#include "app/cookie_manager.h"
#include "app/platform_services.h"
#include "core/app_info.h"
#include "core/device_storage_manager.h"
#include "core/json_file.h"
#include "core/logging.h"
#include "core/main_queue.h"
#include "core/resources.h"
#include "http/url.h"

namespace atelier {
namespace {

constexpr const char* kSource = "ModalWebView/OSX/ModalWebViewController-OSX";
constexpr const char* kInit = "init(url:regex:size:completionBlock:)";
constexpr double kRequestTimeoutSeconds = 60;

std::shared_ptr<ModalWebViewController>& currentController() {
  static std::shared_ptr<ModalWebViewController> controller;
  return controller;
}

}  // namespace

std::shared_ptr<ModalWebViewController> ModalWebViewController::create(std::optional<std::string> url,
                                                                       std::optional<std::string> regex, Size size,
                                                                       Completion completion) {
  auto fail = [&completion] {
    if (completion) completion(std::nullopt, GeneralError::inputInvalid);
    return nullptr;
  };
  if (!url) {
    logError(kSource, kInit, "URL was nil");
    return fail();
  }
  std::optional<std::regex> compiled;
  if (regex) {
    try {
      compiled.emplace(*regex, std::regex::ECMAScript | std::regex::icase);
    } catch (const std::regex_error&) {
      logError(kSource, kInit, "Invalid regex pattern: " + *regex);
      return fail();
    }
  }
  auto application = PlatformServices::application();
  auto controller = std::shared_ptr<ModalWebViewController>(
      new ModalWebViewController(std::move(*url), std::move(compiled), std::move(completion)));
  if (application) controller->window_ = application->makeModalWindow();
  controller->windowDidLoad();
  if (controller->window_) {
    controller->window_->setContentSize(size.width, size.height);
    controller->window_->setDelegate(controller.get());
  }
  return controller;
}

ModalWebViewController::ModalWebViewController(std::string url, std::optional<std::regex> regex, Completion completion)
    : url_(std::move(url)), regularExpression_(std::move(regex)), completion_(std::move(completion)) {}

ModalWebViewController::~ModalWebViewController() {
  if (window_) window_->setDelegate(nullptr);
  if (webview_) webview_->setDelegate(nullptr);
}

std::shared_ptr<ModalWebViewController> ModalWebViewController::current() { return currentController(); }

void ModalWebViewController::setCurrent(std::shared_ptr<ModalWebViewController> controller) {
  auto previous = std::exchange(currentController(), std::move(controller));
  if (previous) previous->close();
}

std::optional<std::string> ModalWebViewController::serviceCookieDomain() {
  auto file = Resources::urlForResource("tzr-preferences", "json", "sync/webapp");
  auto root = file ? readJSONFile(*file) : std::nullopt;
  auto baseUrl = root ? textAtKeyPath(*root, "ovl.baseUrl") : std::nullopt;
  auto url = baseUrl ? URL::parse(*baseUrl) : std::nullopt;
  if (!url || url->host.empty()) return std::nullopt;
  return url->host;
}

const std::shared_ptr<platform::WebView>& ModalWebViewController::webview() {
  if (!webview_) {
    auto* cookies = CookieManager::shared();
    if (cookies && cookies->webContext()) webview_ = cookies->webContext()->createWebView({});
    if (webview_) {
      webview_->setDelegate(this);
      webview_->setCustomUserAgent(AppInfo::userAgent());
    }
  }
  return webview_;
}

// Gives the service's pages the session cookies the ajax proxy stored for the
// local origin, then loads the page.
void ModalWebViewController::windowDidLoad() {
  auto* cookies = CookieManager::shared();
  auto context = cookies ? cookies->webContext() : nullptr;
  std::weak_ptr<ModalWebViewController> weak = weak_from_this();
  auto loadPage = [weak] {
    auto self = weak.lock();
    if (!self || self->closed_) return;
    if (self->window_) self->window_->setContent(self->webview());
    MainQueue::post([weak] {
      auto controller = weak.lock();
      if (!controller || controller->closed_ || !controller->webview()) return;
      controller->webview()->load(controller->url_, AppInfo::userAgent(), kRequestTimeoutSeconds);
    });
  };
  if (!context) return loadPage();
  context->allCookies([context, loadPage](std::vector<platform::Cookie> all) {
    auto domain = serviceCookieDomain();
    std::vector<platform::Cookie> copies;
    for (auto cookie : all) {
      if (!domain || cookie.domain.find("localhost") == std::string::npos) continue;
      cookie.domain = *domain;
      copies.push_back(std::move(cookie));
    }
    if (copies.empty()) return MainQueue::post(loadPage);
    auto remaining = std::make_shared<size_t>(copies.size());
    for (const auto& copy : copies) {
      context->addCookie(copy, [remaining, loadPage] {
        if (--*remaining == 0) MainQueue::post(loadPage);
      });
    }
  });
}

void ModalWebViewController::show() {
  observingWindowUpdates_ = true;
  if (window_) window_->show();
  setOtherWindowsInactive(true);
}

void ModalWebViewController::close() {
  if (window_ && !closed_) window_->close();
}

void ModalWebViewController::setOtherWindowsInactive(bool inactive) {
  if (auto application = PlatformServices::application()) {
    for (const auto& window : application->windows()) window->setSimulateDeactivation(inactive);
  }
}

void ModalWebViewController::otherWindowCameToFront(bool isWebInspector) {
  if (!observingWindowUpdates_ || isWebInspector || DeviceStorageManager::isOn("TzEnableDebugging")) return;
  MainQueue::postAfter(bringToFrontDelay, [weak = weak_from_this()] {
    auto self = weak.lock();
    if (self && self->observingWindowUpdates_ && self->window_) self->window_->show();
  });
}

void ModalWebViewController::windowWillClose() {
  if (closed_) return;
  closed_ = true;
  observingWindowUpdates_ = false;
  setOtherWindowsInactive(false);
  // Closed before a match: the page hears how it ended instead of nothing.
  complete(std::nullopt, error_.value_or(GeneralError::httpCancelled));
}

bool ModalWebViewController::decidePolicyForNavigationResponse(const platform::NavigationResponse& response) {
  if (regularExpression_ && std::regex_search(response.url, *regularExpression_)) {
    error_.reset();
    matchedURL_ = response.url;
    complete(response.url, std::nullopt);
    close();
    return false;
  }
  if (response.httpStatusCode && *response.httpStatusCode > 400) {
    logError(kSource, "webView(_:decidePolicyFor:decisionHandler:)", "Status code > 400: " + response.description);
    matchedURL_.reset();
    error_ = GeneralError::httpStatusError;
    return false;
  }
  return true;
}

void ModalWebViewController::didFailProvisionalNavigation(const std::string& error) { didFailNavigation(error); }

void ModalWebViewController::didFailNavigation(const std::string& error) {
  logError(kSource, "webView(_:didFail:withError:)", "Connection failed with error: " + error);
  matchedURL_.reset();
  error_ = GeneralError::httpConnectionFailure;
}

void ModalWebViewController::complete(std::optional<std::string> url, std::optional<GeneralError> error) {
  if (auto completion = std::exchange(completion_, nullptr)) completion(std::move(url), error);
}

}  // namespace atelier
