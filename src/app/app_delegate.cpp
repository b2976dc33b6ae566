#include "app/app_delegate.h"

#include "app/close_manager.h"
#include "app/modal_webview_controller.h"
#include "core/app_info.h"
#include "core/branding.h"
#include "core/color.h"
#include "core/logging.h"
#include "core/main_queue.h"
#include "core/resources.h"
#include "http/local_url.h"
#include "serving/request_proxy.h"
#include "updates/reachability_compat.h"

#include <filesystem>

namespace atelier {
AppDelegate::AppDelegate(DesktopServices services, std::shared_ptr<UserDefaults> defaults)
    : services_(std::move(services)) {
  storage_ = std::make_unique<DeviceStorageManager>(std::move(defaults));
  cookieManager_ = std::make_unique<CookieManager>(services_.webContext);
  // A page that registered no close handler cannot be asked: the user is.
  CloseManager::shared().noHandlerAnswer = [this] { askToQuit("platform.alert.quit.noAnswer"); };
  // A page that was asked but did not close: if its scripts still answer, it
  // declined; if they do not, it hangs and the user decides.
  CloseManager::shared().watchdog = [this] {
    auto answered = std::make_shared<bool>(false);
    if (webViewController_) {
      webViewController_->evaluateScript("true", [answered](std::optional<nlohmann::json>) { *answered = true; });
    }
    MainQueue::postAfter(livenessSeconds, [this, answered] {
      auto& closer = CloseManager::shared();
      // No watchdog any more means this delegate is gone.
      if (!closer.watchdog || *answered || closer.reallyClose) return;
      askToQuit("platform.alert.quit.notResponding");
    });
  };
}

void AppDelegate::askToQuit(const char* reasonKey) {
  int answer = services_.panels->runAlert({Resources::localizedString("platform.alert.quit.title"),
                                           Resources::localizedString(reasonKey),
                                           {Resources::localizedString("platform.alert.button"),
                                            Resources::localizedString("platform.alert.button.cancel")}});
  if (answer != 0) return;
  CloseManager::shared().reallyClose = true;
  services_.application->terminate();
}

AppDelegate::~AppDelegate() {
  ModalWebViewController::setCurrent(nullptr);
  if (menuController_) services_.window->setNextResponder(menuController_->nextResponder());
  CloseManager::shared().noHandlerAnswer = nullptr;
  CloseManager::shared().watchdog = nullptr;
  WebviewManager::setShared(nullptr);
  RequestProxy::setWebsiteDataCleaner(nullptr);
}

void AppDelegate::applicationDidFinishLaunching(int argc, char** argv) {
  TestingMode::setFromArguments(argc, argv);
  Log::setup();

  webViewController_ = std::make_shared<WebviewManager>(services_.panels);
  WebviewManager::setShared(webViewController_);
  services_.window->setContent(webViewController_->webview());
  webViewController_->load();

  services_.window->setDelegate(this);
  services_.window->setTitle(AppInfo::displayName());
  applyTitleBarColor();
  menuController_ = std::make_unique<MenuController>(webViewController_, services_.application);
  // The menu controller follows the window in the responder chain.
  platform::MenuResponder* next = services_.window->nextResponder();
  services_.window->setNextResponder(menuController_.get());
  menuController_->setNextResponder(next);
  // The application-update manager joins here.
  checkPreferencesFile();
  MainQueue::postAfter(1.0, [this] { checkModalStartPage(); });
  ReachabilityCompat::shared().start();
}

void AppDelegate::applyTitleBarColor() {
  if (auto color = brandingValue("meta.osx-title-bar-color")) {
    services_.window->setTitleBarColor(colorFromHexString(*color));
  }
}

void AppDelegate::checkPreferencesFile() {
  std::error_code ec;
  if (!std::filesystem::exists(UserDefaults::standardFile(), ec)) {
    showWarningAlert(Resources::localizedString("platform.alert.brokenSettings"));
  }
}

void AppDelegate::showWarningAlert(const std::string& informativeText) {
  services_.panels->showAlertSheet({Resources::localizedString("platform.alert.warning"), informativeText,
                                    {Resources::localizedString("platform.alert.button")}},
                                   [application = services_.application](int) {
                                     CloseManager::shared().reallyClose = true;
                                     application->terminate();
                                   });
}

void AppDelegate::checkModalStartPage() {
  auto page = Resources::urlForResource("index", "html", "sync/modalWebView/");
  if (!page) return;
  auto controller = ModalWebViewController::create(LocalURL::fromPath(*page).url, std::nullopt, {1380, 800},
                                                   [](std::optional<std::string>, std::optional<GeneralError>) {});
  ModalWebViewController::setCurrent(controller);
  if (controller) controller->show();
}

bool AppDelegate::applicationShouldTerminate() {
  auto& closer = CloseManager::shared();
  if (closer.reallyClose) return true;
  closer.requestClose();
  return false;
}

bool AppDelegate::windowShouldClose() {
  CloseManager::shared().requestClose();
  return false;
}

void AppDelegate::windowWillEnterFullScreen() { services_.window->setMinimizeEnabled(false); }
void AppDelegate::windowWillExitFullScreen() { services_.window->setMinimizeEnabled(true); }

}  // namespace atelier
