#pragma once

#include "app/value_injecter.h"
#include "app/web_comm_platform_handler.h"
#include "bridge/js_script_handler.h"
#include "bridge/message_handler.h"
#include "core/notification_center.h"
#include "platform/panels.h"
#include "platform/web_view.h"
#include "serving/ajax_proxy.h"
#include "serving/local_storage_controller.h"

#include <memory>
#include <string>

namespace atelier {

// Owns the web view the editor runs in and everything that must exist before
// the page's first script: the bridge, the injected scripts and values, the
// user agent and the start page from the loopback server.
class WebviewManager : public JSScriptHandler,
                       public platform::WebViewDelegate,
                       public std::enable_shared_from_this<WebviewManager> {
 public:
  // Starts the loopback server (through the routes it registers) and listens
  // for the consent notification.
  using WebObjectFactory = std::function<std::vector<std::shared_ptr<WebObject>>()>;
  explicit WebviewManager(std::shared_ptr<platform::Panels> panels, WebObjectFactory webObjects = {});
  ~WebviewManager() override;

  static std::shared_ptr<WebviewManager> shared();
  static void setShared(std::shared_ptr<WebviewManager> manager);

  const std::shared_ptr<MessageHandler>& messageHandler();
  // Created on first use with the shared CookieManager's web context.
  const std::shared_ptr<platform::WebView>& webview();
  void load();
  static std::string startURL();

  // From any thread; evaluated on the main queue in the order asked.
  void evaluateScript(const std::string& script, Completion completion) override;
  void setLocalStorageItem(const std::string& key, const std::string& value);

  // The scripts injected at document start, in order.
  std::string objectsUserScript() const;
  std::string valuesUserScript();
  std::string proxyUserScript() const;
  std::string printScript();

  // Navigation and UI delegate.
  void didStartNavigation() override;
  void didFailProvisionalNavigation(const std::string& error) override;
  void didCommitNavigation() override;
  void didFinishNavigation() override;
  void didFailNavigation(const std::string& error) override;
  void runAlertPanel(const std::string& message) override;
  bool runConfirmPanel(const std::string& message) override;
  std::optional<std::vector<std::string>> runOpenPanel(const platform::OpenPanelOptions& options) override;

 private:
  std::shared_ptr<platform::Panels> panels_;
  WebObjectFactory webObjects_;
  std::shared_ptr<MessageHandler> messageHandler_;
  std::shared_ptr<platform::WebView> webview_;
  // What the bridge evaluates its answers with: straight into the web view,
  // as its answers already come from the main queue.
  std::shared_ptr<JSScriptHandler> bridgeEvaluator_;
  std::shared_ptr<ValueInjecter> valueInjecter_;
  std::shared_ptr<WebCommPlatformHandler> platformHandler_;
  std::shared_ptr<AjaxProxy> ajaxProxy_;
  std::shared_ptr<LocalStorageController> localStorageController_;
  NotificationCenter::Token consentObserver_ = 0;
};

}  // namespace atelier
