#pragma once

#include "app/cookie_manager.h"
#include "app/webview_manager.h"
#include "core/device_storage_manager.h"
#include "menu/menu_controller.h"
#include "platform/main_window.h"
#include "platform/panels.h"

#include <memory>
#include <string>

namespace atelier {

// What the desktop layer hands the application at start.
struct DesktopServices {
  std::shared_ptr<platform::MainWindow> window;
  std::shared_ptr<platform::Panels> panels;
  std::shared_ptr<platform::Application> application;
  std::shared_ptr<platform::WebContext> webContext;
};

// The application's start-up order, and quit and close routed to the page.
class AppDelegate : public platform::MainWindowDelegate {
 public:
  // Creates the two singletons; a second one of either stops the process.
  AppDelegate(DesktopServices services, std::shared_ptr<UserDefaults> defaults);
  ~AppDelegate() override;

  void applicationDidFinishLaunching(int argc, char** argv);
  // True: terminate now. False: the page was asked and will decide.
  bool applicationShouldTerminate();
  bool applicationShouldTerminateAfterLastWindowClosed() const { return true; }

  bool windowShouldClose() override;
  void windowWillEnterFullScreen() override;
  void windowWillExitFullScreen() override;

  // The warning that quits when dismissed.
  void showWarningAlert(const std::string& informativeText);
  void checkPreferencesFile();

  const std::shared_ptr<WebviewManager>& webViewController() const { return webViewController_; }
  MenuController* menuController() const { return menuController_.get(); }
  // Opens sync/modalWebView/index.html, when the bundle has one.
  void checkModalStartPage();
  // How long the page's scripts may take to answer the watchdog's probe.
  double livenessSeconds = 2;

 private:
  void applyTitleBarColor();
  void askToQuit(const char* reasonKey);

  DesktopServices services_;
  std::unique_ptr<DeviceStorageManager> storage_;
  std::unique_ptr<CookieManager> cookieManager_;
  std::shared_ptr<WebviewManager> webViewController_;
  std::unique_ptr<MenuController> menuController_;
};

}  // namespace atelier
