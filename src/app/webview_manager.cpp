#include "app/webview_manager.h"

#include "app/cookie_manager.h"
#include "app/notification_names.h"
#include "app/print_manager.h"
#include "app/web_object_registry.h"
#include "core/app_info.h"
#include "core/fatal.h"
#include "core/file_io.h"
#include "core/logging.h"
#include "core/main_queue.h"
#include "core/resources.h"
#include "http/proxy_address.h"
#include "serving/load_save_module_web_object.h"
#include "serving/request_proxy.h"


namespace atelier {
namespace {

constexpr const char* kSource = "Webview Communication/WebviewManager";

std::shared_ptr<WebviewManager>& sharedSlot() {
  static auto* slot = new std::shared_ptr<WebviewManager>();
  return *slot;
}

std::optional<std::string> readResource(const char* name, const char* extension) {
  auto file = Resources::urlForResource(name, extension);
  return file ? readFileContents(*file) : std::nullopt;
}

bool isOne(const std::any& object) {
  if (auto* value = std::any_cast<int>(&object)) return *value == 1;
  if (auto* value = std::any_cast<int64_t>(&object)) return *value == 1;
  if (auto* value = std::any_cast<long long>(&object)) return *value == 1;
  return false;
}

class DirectEvaluator : public JSScriptHandler {
 public:
  explicit DirectEvaluator(std::weak_ptr<platform::WebView> view) : view_(std::move(view)) {}
  void evaluateScript(const std::string& script, Completion completion) override {
    auto view = view_.lock();
    if (!view) return;
    view->evaluateJavaScript(script, [completion = std::move(completion)](platform::ScriptResult result) {
      if (completion) completion(result.value);
    });
  }

 private:
  std::weak_ptr<platform::WebView> view_;
};

}  // namespace

WebviewManager::WebviewManager(std::shared_ptr<platform::Panels> panels, WebObjectFactory webObjects)
    : panels_(std::move(panels)), webObjects_(webObjects ? std::move(webObjects) : WebObjectFactory(makeWebObjects)) {
  // The first use of the request proxy starts the loopback server.
  auto customHandler = std::make_shared<CustomURLHandler>();
  customHandler->handlers["container.projects"] = std::make_shared<LoadSaveModuleWebObject>();
  ajaxProxy_ = AjaxProxy::create(RequestProxy::shared(), HttpClient::shared(), std::move(customHandler));
  localStorageController_ =
      LocalStorageController::create(RequestProxy::shared(), std::make_shared<MultiLevelFileStorage>());
  consentObserver_ = NotificationCenter::defaultCenter().addObserver(
      notifications::kCookieConsent, [this](const Notification& notification) {
        setLocalStorageItem("COOKIECONSENT", isOne(notification.object) ? "YES" : "NO");
      });
}

WebviewManager::~WebviewManager() { NotificationCenter::defaultCenter().removeObserver(consentObserver_); }

std::shared_ptr<WebviewManager> WebviewManager::shared() { return sharedSlot(); }
void WebviewManager::setShared(std::shared_ptr<WebviewManager> manager) { sharedSlot() = std::move(manager); }

const std::shared_ptr<MessageHandler>& WebviewManager::messageHandler() {
  if (!messageHandler_) messageHandler_ = std::make_shared<MessageHandler>(webObjects_());
  return messageHandler_;
}

std::string WebviewManager::objectsUserScript() const {
  auto text = readResource("objects", "js");
  if (!text) fatalError("Could not load script bridge 'objects.js'");
  return *text;
}

std::string WebviewManager::valuesUserScript() {
  if (!valueInjecter_) valueInjecter_ = std::make_shared<ValueInjecter>(weak_from_this());
  return valueInjecter_->injectValues();
}

std::string WebviewManager::proxyUserScript() const {
  auto text = readResource("ajax-proxy", "js");
  if (!text) fatalError("Could not load script bridge 'ajax-proxy.js'");
  return "var __tzr_proxy_url = \"" + ProxyAddress::ajaxProxyURL() + "\";\n" + *text;
}

std::string WebviewManager::printScript() {
  PrintManager::shared().setWebViewController(weak_from_this());
  const auto& script = PrintManager::shared().setupScript();
  if (script.empty()) fatalError("Could not load print script");
  return script;
}

const std::shared_ptr<platform::WebView>& WebviewManager::webview() {
  if (webview_) return webview_;
  auto* cookies = CookieManager::shared();
  if (!cookies) fatalError("The web view needs the shared CookieManager");

  platform::WebViewConfiguration configuration;
  configuration.userScripts = {objectsUserScript(), valuesUserScript(), proxyUserScript(), printScript()};
  configuration.messageHandlers.emplace_back(
      "allMessages", [handler = messageHandler()](const nlohmann::json& body) { handler->userContentController(body); });
  webview_ = cookies->webContext()->createWebView(std::move(configuration));
  bridgeEvaluator_ = std::make_shared<DirectEvaluator>(webview_);
  messageHandler()->setWebview(bridgeEvaluator_);

  platformHandler_ = std::make_shared<WebCommPlatformHandler>(cookies->webContext());
  RequestProxy::setWebsiteDataCleaner(platformHandler_);
  return webview_;
}

std::string WebviewManager::startURL() {
  return ProxyAddress::baseURL() + ProxyAddress::kWebappPrefix + "/index.html";
}

void WebviewManager::load() {
  auto& view = webview();
  view->setDelegate(this);
  view->setCustomUserAgent(AppInfo::userAgent());
  view->load(startURL(), AppInfo::userAgent(), 60);
}

void WebviewManager::evaluateScript(const std::string& script, Completion completion) {
  MainQueue::post([weak = weak_from_this(), script, completion = std::move(completion)] {
    auto self = weak.lock();
    if (!self || !self->webview_) {
      if (completion) completion(std::nullopt);
      return;
    }
    self->webview_->evaluateJavaScript(script, [completion](platform::ScriptResult result) {
      if (completion) completion(result.value);
      if (result.error) {
        logError(kSource, "evaluateScript(_:completion:)", "Error evaluating webscript: " + *result.error);
      }
    });
  });
}

void WebviewManager::setLocalStorageItem(const std::string& key, const std::string& value) {
  evaluateScript("window.localStorage.setItem('" + key + "', '" + value + "');", nullptr);
}

void WebviewManager::didStartNavigation() { logVerbose(kSource, "webView(_:didStartProvisionalNavigation:)", "did Start"); }
void WebviewManager::didFailProvisionalNavigation(const std::string& error) {
  logVerbose(kSource, "webView(_:didFailProvisionalNavigation:withError:)", "did fail provisional: " + error);
}
void WebviewManager::didCommitNavigation() { logVerbose(kSource, "webView(_:didCommit:)", "did commit"); }
void WebviewManager::didFinishNavigation() { logVerbose(kSource, "webView(_:didFinish:)", "did finish"); }
void WebviewManager::didFailNavigation(const std::string& error) {
  logVerbose(kSource, "webView(_:didFail:withError:)", "did fail " + error);
}

void WebviewManager::runAlertPanel(const std::string& message) {
  panels_->runAlert({Resources::localizedString("platform.alert.warning"), message,
                     {Resources::localizedString("platform.alert.button.ok")}});
}

bool WebviewManager::runConfirmPanel(const std::string& message) {
  return panels_->runAlert({Resources::localizedString("platform.alert.warning"), message,
                            {Resources::localizedString("platform.alert.button.ok"),
                             Resources::localizedString("platform.alert.button.cancel")}}) == 0;
}

std::optional<std::vector<std::string>> WebviewManager::runOpenPanel(const platform::OpenPanelOptions& options) {
  platform::OpenPanelOptions panel = options;
  panel.fileTypes = {"png", "jpg", "jpeg", "heic"};
  return panels_->runOpenPanel(panel);
}

}  // namespace atelier
