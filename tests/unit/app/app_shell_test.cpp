#include "app/app_delegate.h"
#include "app/close_manager.h"
#include "app/notification_names.h"
#include "app/platform_services.h"
#include "menu/core_menu_item.h"
#include "core/app_info.h"
#include "core/color.h"
#include "core/main_queue.h"
#include "core/resources.h"
#include "http/proxy_address.h"
#include "support/fake_platform.h"
#include "support/test_environment.h"
#include "updates/reachability_compat.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

namespace atelier::test {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::StartsWith;

std::string resourceText(const std::string& name) {
  std::ifstream in(Resources::directory() / name);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class AppShellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    delegate = std::make_unique<AppDelegate>(DesktopServices{window, panels, application, context},
                                             std::make_shared<UserDefaults>(UserDefaults::standardFile()));
  }
  void TearDown() override {
    delegate.reset();
    CloseManager::shared().closeHandlers.clear();
    CloseManager::shared().reallyClose = false;
    Log::setLevel(kLogError | kLogWarning);
  }
  FakeWebView& launch() {
    char name[] = "atelier";
    char* argv[] = {name};
    delegate->applicationDidFinishLaunching(1, argv);
    MainQueue::runUntilIdle();
    return *context->views.at(0);
  }

  std::shared_ptr<FakeWindow> window = std::make_shared<FakeWindow>();
  std::shared_ptr<FakePanels> panels = std::make_shared<FakePanels>();
  std::shared_ptr<FakeApplication> application = std::make_shared<FakeApplication>();
  std::shared_ptr<FakeWebContext> context = std::make_shared<FakeWebContext>();
  std::unique_ptr<AppDelegate> delegate;
};

TEST_F(AppShellTest, LaunchLoadsTheStartPageWithTheInjectedScripts) {
  auto& view = launch();
  const auto port = std::to_string(ProxyAddress::port());
  EXPECT_EQ(window->content.get(), &view);
  EXPECT_EQ(window->delegate, delegate.get());
  EXPECT_EQ(window->title, "Atelier");
  EXPECT_EQ(window->titleBarColor, colorFromHexString("#2b2f36"));
  EXPECT_EQ(view.loadedURL, "http://localhost:" + port + "/_webapp/index.html");
  EXPECT_EQ(view.userAgent, "tzrosx.default.org.atelier.Atelier/1.0.0.1");
  EXPECT_EQ(view.requestUserAgent, view.userAgent);
  EXPECT_EQ(view.loadTimeout, 60);
  EXPECT_NE(view.delegate, nullptr);

  const auto& scripts = view.configuration.userScripts;
  ASSERT_EQ(scripts.size(), 4u);
  EXPECT_EQ(scripts[0], resourceText("objects.js"));
  EXPECT_THAT(scripts[1], StartsWith(R"(__bridge["shortVersion"] = "1.0.0";__bridge["os"] = "osx";)"));
  EXPECT_EQ(scripts[2], "var __tzr_proxy_url = \"http://localhost:" + port + "/__tzr_proxy/\";\n" +
                            resourceText("ajax-proxy.js"));
  EXPECT_EQ(scripts[3], "window.print = function() { _osx.notifications.postNotification('TzPrintNotification'); }");
  ASSERT_EQ(view.configuration.messageHandlers.size(), 1u);
  EXPECT_EQ(view.configuration.messageHandlers[0].first, "allMessages");
  EXPECT_TRUE(panels->sheets.empty()) << "the settings file exists once the port is remembered";
}

TEST_F(AppShellTest, PostedMessagesAreDispatchedAndAnsweredInThePage) {
  auto& view = launch();
  view.evaluated.clear();
  view.post({{"name", "orientation.lock"}, {"parameters", "\"portrait\""}, {"failure", "f1"}, {"success", "s1"}});
  MainQueue::runUntilIdle();
  EXPECT_THAT(view.evaluated, ElementsAre("__bridge.callBackWithID(\"f1\", 1)", "__bridge.removeCallBackWithID(\"s1\")",
                                          "__bridge.removeCallBackWithID(\"f1\")"));
  view.evaluated.clear();
  view.post({{"name", "orientation.spin"}, {"success", "s2"}});
  MainQueue::runUntilIdle();
  EXPECT_THAT(view.evaluated, ElementsAre("__bridge.removeCallBackWithID(\"s2\")"));
}

TEST_F(AppShellTest, EvaluationErrorsAreLoggedAfterTheCompletion) {
  auto& view = launch();
  view.nextResult = {std::nullopt, std::string("ReferenceError: x is not defined")};
  LogCapture log;
  bool completed = false;
  delegate->webViewController()->evaluateScript("x()", [&](std::optional<nlohmann::json> result) {
    completed = !result.has_value() && log.texts().empty();
  });
  MainQueue::runUntilIdle();
  EXPECT_TRUE(completed);
  EXPECT_THAT(log.texts(), ElementsAre("Error evaluating webscript: ReferenceError: x is not defined"));
  EXPECT_STREQ(log.lines()[0].source, "Webview Communication/WebviewManager");
}

TEST_F(AppShellTest, CookieConsentIsStoredInThePage) {
  auto& view = launch();
  const std::vector<std::pair<std::any, std::string>> cases = {
      {1, "YES"}, {int64_t{1}, "YES"}, {0, "NO"}, {std::string("1"), "NO"}, {std::any(), "NO"}};
  for (const auto& [object, answer] : cases) {
    view.evaluated.clear();
    NotificationCenter::defaultCenter().post(notifications::kCookieConsent, object);
    MainQueue::runUntilIdle();
    EXPECT_THAT(view.evaluated, ElementsAre("window.localStorage.setItem('COOKIECONSENT', '" + answer + "');"));
  }
}

TEST_F(AppShellTest, ScriptPanelsUseTheStringTable) {
  auto& view = launch();
  view.delegate->runAlertPanel("Saved.");
  ASSERT_EQ(panels->alerts.size(), 1u);
  EXPECT_EQ(panels->alerts[0].messageText, "Warning");
  EXPECT_EQ(panels->alerts[0].informativeText, "Saved.");
  EXPECT_THAT(panels->alerts[0].buttons, ElementsAre("OK"));

  panels->nextButton = 1;
  EXPECT_FALSE(view.delegate->runConfirmPanel("Delete?"));
  EXPECT_THAT(panels->alerts[1].buttons, ElementsAre("OK", "Cancel"));
  panels->nextButton = 0;
  EXPECT_TRUE(view.delegate->runConfirmPanel("Delete?"));

  panels->chosenFiles = std::vector<std::string>{"/pictures/a.heic"};
  platform::OpenPanelOptions options;
  options.allowsMultipleSelection = true;
  EXPECT_EQ(view.delegate->runOpenPanel(options), panels->chosenFiles);
  EXPECT_THAT(panels->openPanels[0].fileTypes, ElementsAre("png", "jpg", "jpeg", "heic"));
  EXPECT_TRUE(panels->openPanels[0].allowsMultipleSelection);
}

TEST_F(AppShellTest, QuitAndCloseAreQuestionsForThePage) {
  launch();
  auto& closer = CloseManager::shared();
  // No handler: the page cannot be asked, so the user is; Cancel keeps the app.
  panels->nextButton = 1;
  EXPECT_FALSE(delegate->applicationShouldTerminate());
  EXPECT_FALSE(delegate->windowShouldClose());
  ASSERT_EQ(panels->alerts.size(), 2u);
  EXPECT_EQ(panels->alerts[0].messageText, "Quit Atelier?");
  EXPECT_THAT(panels->alerts[0].buttons, ElementsAre("Quit", "Cancel"));
  EXPECT_EQ(application->terminations, 0);

  std::vector<int> asked;
  closer.closeHandlers[7] = [&] { asked.push_back(7); };
  closer.closeHandlers[3] = [&] { asked.push_back(3); };
  EXPECT_FALSE(delegate->applicationShouldTerminate());
  EXPECT_FALSE(delegate->windowShouldClose());
  EXPECT_THAT(asked, ElementsAre(3, 7, 3, 7));
  EXPECT_EQ(application->terminations, 0);

  EXPECT_EQ(panels->alerts.size(), 2u) << "a page with handlers is asked, not the user";

  closer.reallyClose = true;
  EXPECT_TRUE(delegate->applicationShouldTerminate());
  EXPECT_FALSE(delegate->windowShouldClose()) << "the close button never closes directly";

  closer.closeHandlers.clear();
  closer.reallyClose = false;
  panels->nextButton = 0;
  delegate->windowShouldClose();
  EXPECT_TRUE(closer.reallyClose);
  EXPECT_EQ(application->terminations, 1) << "Quit was chosen";

  window->delegate->windowWillEnterFullScreen();
  EXPECT_FALSE(window->minimizeEnabled);
  window->delegate->windowWillExitFullScreen();
  EXPECT_TRUE(window->minimizeEnabled);
}

TEST_F(AppShellTest, APageThatHangsAfterBeingAskedLetsTheUserQuit) {
  auto& view = launch();
  auto& closer = CloseManager::shared();
  closer.answerSeconds = 0.05;
  delegate->livenessSeconds = 0.05;
  closer.closeHandlers[1] = [] {};

  // The page declined: its scripts answer, nobody is bothered.
  delegate->applicationShouldTerminate();
  MainQueue::runUntil([] { return false; }, 0.3);
  EXPECT_TRUE(panels->alerts.empty());

  // The page hangs: the user is asked whether to quit anyway.
  view.hangs = true;
  panels->nextButton = 0;
  delegate->applicationShouldTerminate();
  ASSERT_TRUE(MainQueue::runUntil([&] { return application->terminations > 0; }, 5));
  ASSERT_EQ(panels->alerts.size(), 1u);
  EXPECT_EQ(panels->alerts[0].informativeText, "The editor is not responding. Quit anyway?");
  EXPECT_TRUE(closer.reallyClose);
  closer.answerSeconds = 10;
}

TEST_F(AppShellTest, MissingSettingsFileWarnsAndQuitsOnDismissal) {
  launch();
  std::filesystem::remove(UserDefaults::standardFile());
  delegate->checkPreferencesFile();
  ASSERT_EQ(panels->sheets.size(), 1u);
  EXPECT_EQ(panels->sheets[0].messageText, "Warning");
  EXPECT_EQ(panels->sheets[0].informativeText, Resources::localizedString("platform.alert.brokenSettings"));
  EXPECT_THAT(panels->sheets[0].buttons, ElementsAre("Quit"));
  EXPECT_EQ(application->terminations, 0);
  panels->sheetCompletion(0);
  EXPECT_TRUE(CloseManager::shared().reallyClose);
  EXPECT_EQ(application->terminations, 1);
}

TEST_F(AppShellTest, ReachabilityChangesReachThePage) {
  auto& view = launch();
  view.evaluated.clear();
  std::vector<std::string> order;
  auto token = NotificationCenter::defaultCenter().addObserver(notifications::kConnectionTypeDidChange,
                                                               [&](const Notification&) {
                                                                 order.push_back("announced after " +
                                                                                 std::to_string(view.evaluated.size()));
                                                               });
  ReachabilityCompat::shared().update(ReachabilityStatus::reachableViaWWAN);
  MainQueue::runUntilIdle();
  NotificationCenter::defaultCenter().removeObserver(token);
  EXPECT_THAT(view.evaluated, ElementsAre("__bridge[\"isNetworkReachable\"] = true",
                                          "__bridge[\"connectionType\"] = \"CELL\""));
  EXPECT_THAT(order, ElementsAre("announced after 2"));
  ReachabilityCompat::shared().update(ReachabilityStatus::unknown);
  MainQueue::runUntilIdle();
}

TEST_F(AppShellTest, DataRemovalIsLogged) {
  launch();
  Log::setLevel(kLogError | kLogWarning | kLogInfo);
  LogCapture log;
  WebCommPlatformHandler handler(context);
  handler.cleanWebviewCache();
  handler.removeAllWebsiteData();
  MainQueue::runUntilIdle();
  EXPECT_THAT(log.texts(), ElementsAre("Webview cache cleaned", "Webview cleaned"));
  EXPECT_GE(context->cacheRemovals, 1);
  EXPECT_EQ(context->fullRemovals, 1);
}

}  // namespace
}  // namespace atelier::test

namespace atelier::test {
namespace {

TEST_F(AppShellTest, TheShippedMenuJoinsTheResponderChainAndBuildsWhenThePageIsReady) {
  auto& view = launch();
  ASSERT_NE(delegate->menuController(), nullptr);
  EXPECT_EQ(window->nextResponder(), delegate->menuController());
  EXPECT_TRUE(application->mainMenus.empty());
  view.post({{"name", "general.webViewDidInit"}});
  MainQueue::runUntilIdle();
  ASSERT_EQ(application->mainMenus.size(), 1u) << "the bundled menu.json decodes";
  std::vector<std::string> hidden;
  std::function<void(const platform::Menu&)> walk = [&](const platform::Menu& menu) {
    for (const auto& item : menu.items()) {
      if (item->submenu()) walk(*item->submenu());
      if (auto entry = std::dynamic_pointer_cast<CoreMenuItem>(item->representedObject)) {
        hidden.push_back(entry->descriptor().identifier.value_or(""));
      }
    }
  };
  walk(*application->mainMenus[0]);
  EXPECT_THAT(hidden, Contains("exportProject"));
  EXPECT_THAT(hidden, ::testing::Not(Contains("debugTools"))) << "hidden by sync/hiddenMenu.json";
}

TEST_F(AppShellTest, ABundledModalStartPageOpensInFrontOfTheEditor) {
  PlatformServices::set(application, nullptr);
  application->mainWindow = window;
  launch();
  delegate->checkModalStartPage();
  EXPECT_TRUE(application->modalWindows.empty()) << "no page in the bundle: nothing";

  auto resources = freshDirectory("modal-start");
  std::filesystem::copy(Resources::directory(), resources, std::filesystem::copy_options::recursive);
  std::filesystem::create_directories(resources / "sync/modalWebView");
  std::ofstream(resources / "sync/modalWebView/index.html") << "<p>Welcome</p>";
  Resources::setDirectory(resources);
  delegate->checkModalStartPage();
  Resources::setDirectory(ATELIER_TEST_RESOURCES_DIR);
  MainQueue::runUntilIdle();
  ASSERT_EQ(application->modalWindows.size(), 1u);
  EXPECT_EQ(application->modalWindows[0]->width, 1380);
  EXPECT_EQ(application->modalWindows[0]->height, 800);
  EXPECT_TRUE(window->simulating);
  EXPECT_EQ(context->views.back()->loadedURL, "file://" + (resources / "sync/modalWebView/index.html").string());
  application->modalWindows[0]->close();
  EXPECT_FALSE(window->simulating);
  PlatformServices::set(nullptr, nullptr);
}

}  // namespace
}  // namespace atelier::test
