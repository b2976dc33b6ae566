#include "app/close_manager.h"
#include "app/general_web_object.h"
#include "app/notification_names.h"
#include "app/notifications_web_object.h"
#include "app/platform_services.h"
#include "app/print_manager.h"
#include "bridge/message_handler.h"
#include "core/device_storage_manager.h"
#include "core/main_queue.h"
#include "support/fake_platform.h"
#include "support/test_environment.h"
#include "updates/reachability_compat.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace atelier::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class ServicesTest : public ::testing::Test {
 protected:
  ServicesTest() {
    PlatformServices::set(application, shell);
    handler.setWebview(page);
  }
  ~ServicesTest() override {
    PlatformServices::set(nullptr, nullptr);
    CloseManager::shared().closeHandlers.clear();
    CloseManager::shared().reallyClose = false;
    Log::setLevel(kLogError | kLogWarning);
  }
  std::vector<std::string> call(const std::string& name, std::optional<std::string> parameters = std::nullopt) {
    nlohmann::json body = {{"name", name}, {"success", "s"}, {"failure", "f"}, {"extraCallback", "x"}};
    if (parameters) body["parameters"] = *parameters;
    handler.userContentController(body);
    return page->take();
  }
  static std::vector<std::string> removals() {
    return {"__bridge.removeCallBackWithID(\"s\")", "__bridge.removeCallBackWithID(\"f\")",
            "__bridge.removeCallBackWithID(\"x\")"};
  }
  static std::vector<std::string> answered(const std::string& statement) {
    auto all = removals();
    all.insert(all.begin(), statement);
    return all;
  }

  std::shared_ptr<FakeApplication> application = std::make_shared<FakeApplication>();
  std::shared_ptr<FakeShell> shell = std::make_shared<FakeShell>();
  std::shared_ptr<RecordingWebview> page = std::make_shared<RecordingWebview>();
  MessageHandler handler{{std::make_shared<GeneralWebObject>(), std::make_shared<NotificationsWebObject>()}};
};

TEST_F(ServicesTest, SettingsQueriesAndFixedAnswers) {
  DeviceStorageManager storage(std::make_shared<UserDefaults>(freshDirectory("general") / "settings.json"));
  EXPECT_EQ(call("general.isInDebugMode"), answered("__bridge.callBackWithID(\"s\", false)"));
  storage.storage().setBool("TzEnableDebugging", true);
  EXPECT_EQ(call("general.isInDebugMode"), answered("__bridge.callBackWithID(\"s\", true)"));
  EXPECT_EQ(call("general.isOfflineDataDisabled"), answered("__bridge.callBackWithID(\"s\", false)"));
  EXPECT_EQ(call("general.getAnalyticsEnabled"), answered("__bridge.callBackWithID(\"s\", false)"));
  EXPECT_EQ(call("general.isFirebaseAvailable"), answered("__bridge.callBackWithID(\"s\", false)"));
  EXPECT_EQ(call("general.openUserConsent"), answered("__bridge.callBackWithID(\"s\")"));
  for (const auto* quiet : {"general.hideSplashscreen", "general.openAppSettings"}) EXPECT_EQ(call(quiet), removals());
  EXPECT_EQ(call("general.enforceOrientation", "sideways"), removals()) << "errors swallowed";
  EXPECT_EQ(call("general.enforceOrientation"), removals());
  EXPECT_EQ(call("general.setAnalyticsEnabled", "maybe"), answered("__bridge.callBackWithID(\"f\", 12)"));
  EXPECT_EQ(call("general.log"), answered("__bridge.callBackWithID(\"f\", 12)"));
}

TEST_F(ServicesTest, CloseRequestHandlersByTheirIds) {
  auto added = call("general.addCloseRequestHandler");
  ASSERT_EQ(added.size(), 1u) << "the ids stay while the handler is registered";
  auto id = added[0].substr(std::string("__bridge.callBackWithID(\"s\", ").size());
  id.pop_back();
  ASSERT_EQ(CloseManager::shared().closeHandlers.size(), 1u);

  CloseManager::shared().requestClose();
  EXPECT_THAT(page->take(), ElementsAre("__bridge.callBackWithID(\"x\")"));

  // A bare number loses its first and last digit, so it names no handler.
  EXPECT_EQ(call("general.removeCloseRequestHandler", id), answered("__bridge.callBackWithID(\"f\", 12)"));
  EXPECT_EQ(call("general.removeCloseRequestHandler", "\"x" + id + "\""), removals()) << "not a number: nothing";
  auto removed = call("general.removeCloseRequestHandler", "\"" + id + "\"");
  EXPECT_THAT(removed, ::testing::Contains("__bridge.callBackWithID(\"s\")"));
  // The stored request is released: the first call's ids leave the page too.
  EXPECT_EQ(std::count(removed.begin(), removed.end(), "__bridge.removeCallBackWithID(\"x\")"), 2);
  EXPECT_TRUE(CloseManager::shared().closeHandlers.empty());
  EXPECT_EQ(call("general.removeCloseRequestHandler", "\"" + id + "\""), answered("__bridge.callBackWithID(\"f\", 12)"));

  EXPECT_EQ(application->terminations, 0);
  call("general.closeApplication");
  EXPECT_TRUE(CloseManager::shared().reallyClose);
  EXPECT_EQ(application->terminations, 1);
}

TEST_F(ServicesTest, NotificationsLinksAndTheProgressWindow) {
  Log::setLevel(kLogError | kLogWarning | kLogInfo | kLogDebug);
  LogCapture log;
  call("general.showNotification", R"({"message":"Saved","duration":0.2,"type":"toast"})");
  call("general.showNotification", R"({"message":"Done","duration":5,"type":"banner"})");
  call("general.showNotification", R"({"message":"3","duration":0,"type":"badge"})");
  EXPECT_EQ(call("general.showNotification", R"({"message":"x","duration":1,"type":"popup"})"),
            answered("__bridge.callBackWithID(\"f\", 12)"));
  EXPECT_THAT(shell->headsUps, ElementsAre(std::pair<std::string, double>{"Saved", 1.0}));
  EXPECT_THAT(shell->banners, ElementsAre("Done"));
  EXPECT_THAT(shell->badges, ElementsAre("3"));
  EXPECT_TRUE(log.contains("Notification: Saved type: toast"));

  call("general.openInSystemBrowser", "\"https://example.com/help\"");
  call("general.openInSystemBrowser", "\"not a url\"");
  call("general.updateApplication");
  EXPECT_THAT(application->openedURLs, ElementsAre("https://example.com/help", "appstream://org.atelier.Atelier"));
  EXPECT_TRUE(log.contains("test - open in system browser: not a url"));

  call("general.showModal", "\"Exporting…\"");
  call("general.hideModal");
  EXPECT_THAT(shell->progress, ElementsAre("Exporting…", "(hidden)"));
  call("general.log", "\"hello\"");
  call("general.webViewDidInit");
  EXPECT_TRUE(log.contains("Log: hello"));
  EXPECT_TRUE(log.contains("webview did init"));
}

TEST_F(ServicesTest, RegisteredNotificationsCallThePageBackEachTime) {
  EXPECT_THAT(call("notifications.registerCallback", "\"TzSomething\""), IsEmpty()) << "kept for later answers";
  NotificationCenter::defaultCenter().post("TzSomething");
  NotificationCenter::defaultCenter().post("TzSomething");
  NotificationCenter::defaultCenter().post("TzOther");
  EXPECT_THAT(page->take(), ElementsAre("__bridge.callBackWithID(\"s\", \"TzSomething\")",
                                        "__bridge.callBackWithID(\"s\", \"TzSomething\")"));

  // The page's posting reaches native observers before the call returns.
  std::vector<std::string> seen;
  auto token = NotificationCenter::defaultCenter().addObserver(
      notifications::kPrint, [&](const Notification& n) { seen.push_back(n.name); });
  call("notifications.postNotification", "\"TzPrintNotification\"");
  NotificationCenter::defaultCenter().removeObserver(token);
  EXPECT_THAT(seen, ElementsAre("TzPrintNotification"));

  // The legacy reachability name is answered on reachability changes.
  page->clear();
  call("notifications.registerCallback", std::string("\"") + NotificationsWebObject::kLegacyReachabilityName + "\"");
  ReachabilityCompat::shared().update(ReachabilityStatus::notReachable);
  MainQueue::runUntilIdle();
  EXPECT_THAT(page->statements(), ::testing::Contains(std::string("__bridge.callBackWithID(\"s\", \"") +
                                                      ReachabilityCompat::kReachabilityDidChange + "\")"));
  ReachabilityCompat::shared().update(ReachabilityStatus::unknown);
  MainQueue::runUntilIdle();
}

TEST(PrintManager, ADocumentThatIsNotTextIsLogged) {
  LogCapture log;
  PrintManager::shared().showPrintOfferMenu(nlohmann::json(42));
  PrintManager::shared().showPrintOfferMenu(std::nullopt);
  EXPECT_THAT(log.texts(), ElementsAre("Could not get document html: 42", "Could not get document html: nil"));
}

}  // namespace
}  // namespace atelier::test
