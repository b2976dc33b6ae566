#include "app/cookie_manager.h"
#include "app/modal_webview_controller.h"
#include "app/platform_services.h"
#include "app/webview_web_object.h"
#include "bridge/message_handler.h"
#include "core/device_storage_manager.h"
#include "core/main_queue.h"
#include "support/fake_platform.h"
#include "support/test_environment.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace atelier::test {
namespace {

using ::testing::ElementsAre;

class ModalWebViewTest : public ::testing::Test {
 protected:
  ModalWebViewTest() {
    application->mainWindow = mainWindow;
    PlatformServices::set(application, std::make_shared<FakeShell>());
    handler.setWebview(page);
  }
  ~ModalWebViewTest() override {
    ModalWebViewController::setCurrent(nullptr);
    MainQueue::runUntilIdle();
    PlatformServices::set(nullptr, nullptr);
  }
  // The statements the page got for one call and what followed on the main queue.
  std::vector<std::string> call(const std::string& name, std::optional<std::string> parameters = std::nullopt) {
    nlohmann::json body = {{"name", name}, {"success", "s"}, {"failure", "f"}};
    if (parameters) body["parameters"] = *parameters;
    handler.userContentController(body);
    return take();
  }
  std::vector<std::string> take() { return page->take(); }
  static std::vector<std::string> removals() {
    return {"__bridge.removeCallBackWithID(\"s\")", "__bridge.removeCallBackWithID(\"f\")"};
  }
  static std::vector<std::string> answered(const std::string& statement) {
    auto all = removals();
    all.insert(all.begin(), statement);
    return all;
  }
  // Opens a service page; what the page heard meanwhile goes to openAnswers.
  std::shared_ptr<ModalWebViewController> open(const std::string& regex = "signed-in") {
    openAnswers = call("webview.open", nlohmann::json({{"url", "https://service.test/login"},
                                                       {"regex", regex},
                                                       {"width", 500},
                                                       {"height", 400}})
                                           .dump());
    return ModalWebViewController::current();
  }
  static platform::NavigationResponse response(const std::string& url, std::optional<int> status = 200) {
    return {url, status, "{ URL: " + url + " }"};
  }

  std::shared_ptr<FakeApplication> application = std::make_shared<FakeApplication>();
  std::shared_ptr<FakeWindow> mainWindow = std::make_shared<FakeWindow>();
  std::shared_ptr<FakeWebContext> context = std::make_shared<FakeWebContext>();
  CookieManager cookies{context};
  DeviceStorageManager storage{std::make_shared<UserDefaults>(freshDirectory("modal") / "settings.json")};
  std::shared_ptr<RecordingWebview> page = std::make_shared<RecordingWebview>();
  MessageHandler handler{{std::make_shared<WebviewWebObject>()}};
  std::vector<std::string> openAnswers;
};

TEST_F(ModalWebViewTest, TheFirstMatchingResponseAnswersThePageAndClosesTheWindow) {
  context->cookies = {{"sid", "abc", "localhost", "/", std::nullopt, false, true},
                      {"other", "1", "example.org", "/", 2000000000, true, false}};
  auto controller = open("SIGNED-in");
  ASSERT_TRUE(controller);
  EXPECT_TRUE(openAnswers.empty()) << "no answer until it ends";
  ASSERT_EQ(application->modalWindows.size(), 1u);
  auto& window = *application->modalWindows[0];
  EXPECT_EQ(window.width, 500);
  EXPECT_EQ(window.height, 400);
  EXPECT_EQ(window.shown, 1);
  EXPECT_TRUE(mainWindow->simulating) << "the editor looks inactive behind it";

  // The local origin's cookies went to the service's domain before the page loaded.
  ASSERT_EQ(context->cookies.size(), 3u);
  EXPECT_EQ(context->cookies[2].name, "sid");
  EXPECT_EQ(context->cookies[2].domain, "127.0.0.1");
  EXPECT_TRUE(context->cookies[2].httpOnly);
  ASSERT_EQ(context->views.size(), 1u);
  auto& view = *context->views[0];
  EXPECT_EQ(window.content.get(), &view);
  EXPECT_EQ(view.loadedURL, "https://service.test/login");
  EXPECT_EQ(view.userAgent, "tzrosx.default.org.atelier.Atelier/1.0.0.1");
  EXPECT_EQ(view.requestUserAgent, view.userAgent);
  EXPECT_EQ(view.loadTimeout, 60);
  ASSERT_EQ(view.delegate, controller.get());

  EXPECT_TRUE(view.delegate->decidePolicyForNavigationResponse(response("https://service.test/login")));
  EXPECT_TRUE(view.delegate->decidePolicyForNavigationResponse(response("https://service.test/bad", 400)))
      << "400 is allowed";
  EXPECT_TRUE(take().empty());
  // Matched anywhere in the address, whatever the case; the page never shows it.
  EXPECT_FALSE(view.delegate->decidePolicyForNavigationResponse(response("https://service.test/Signed-In?u=1")));
  EXPECT_THAT(take(), ElementsAre("__bridge.callBackWithID(\"s\", \"https:\\/\\/service.test\\/Signed-In?u=1\")",
                                  "__bridge.removeCallBackWithID(\"s\")", "__bridge.removeCallBackWithID(\"f\")"));
  EXPECT_TRUE(window.closed);
  EXPECT_FALSE(mainWindow->simulating);
  EXPECT_EQ(controller->matchedURL(), "https://service.test/Signed-In?u=1");
  EXPECT_EQ(ModalWebViewController::current(), controller) << "kept until the next open or close";
  EXPECT_EQ(call("webview.close"), removals()) << "answered once; the close itself has no answer";
}

TEST_F(ModalWebViewTest, EndingWithoutAMatchAnswersWithHowItEnded) {
  LogCapture log;
  {
    SCOPED_TRACE("closed by the user");
    auto controller = open();
    application->modalWindows.back()->close();
    EXPECT_EQ(take(), answered("__bridge.callBackWithID(\"f\", 301)"));
    EXPECT_FALSE(mainWindow->simulating);
  }
  {
    SCOPED_TRACE("a status above 400 is cancelled; the window stays");
    auto controller = open();
    EXPECT_FALSE(controller->decidePolicyForNavigationResponse(response("https://service.test/gone", 404)));
    EXPECT_FALSE(application->modalWindows.back()->closed);
    EXPECT_TRUE(take().empty());
    EXPECT_EQ(log.texts().back(), "Status code > 400: { URL: https://service.test/gone }");
    auto ended = answered("__bridge.callBackWithID(\"f\", 305)");
    ended.insert(ended.end(), {removals()[0], removals()[1]});
    EXPECT_EQ(call("webview.close"), ended) << "the page's close ends it";
    EXPECT_EQ(ModalWebViewController::current(), nullptr);
  }
  {
    SCOPED_TRACE("a failed connection, then replaced by another open");
    auto controller = open();
    controller->didFailProvisionalNavigation("Could not connect");
    EXPECT_EQ(log.texts().back(), "Connection failed with error: Could not connect");
    auto next = open();
    EXPECT_EQ(openAnswers, answered("__bridge.callBackWithID(\"f\", 300)"));
    EXPECT_TRUE(application->modalWindows[application->modalWindows.size() - 2]->closed);
    EXPECT_FALSE(application->modalWindows.back()->closed);
    EXPECT_TRUE(mainWindow->simulating);
  }
  {
    SCOPED_TRACE("a match after a failure still succeeds");
    auto controller = ModalWebViewController::current();
    EXPECT_FALSE(controller->decidePolicyForNavigationResponse(response("https://service.test/x", 500)));
    EXPECT_FALSE(controller->decidePolicyForNavigationResponse(response("https://service.test/signed-in")));
    EXPECT_EQ(take(), answered("__bridge.callBackWithID(\"s\", \"https:\\/\\/service.test\\/signed-in\")"));
    EXPECT_EQ(controller->error(), std::nullopt);
  }
}

TEST_F(ModalWebViewTest, BadRequestsFailWithInputInvalid) {
  LogCapture log;
  EXPECT_EQ(call("webview.open", R"({"url":"not a url","regex":"x","width":1,"height":1})"),
            answered("__bridge.callBackWithID(\"f\", 12)"));
  EXPECT_EQ(log.texts().back(), "Error in open WebViewRequest: inputInvalid");
  EXPECT_EQ(call("webview.open", R"({"url":"https://service.test/","regex":"(unclosed","width":1,"height":1})"),
            answered("__bridge.callBackWithID(\"f\", 12)"));
  EXPECT_THAT(log.texts(), ::testing::Contains("Invalid regex pattern: (unclosed"));
  EXPECT_EQ(call("webview.open", R"({"url":"https://service.test/","width":1,"height":1})"),
            answered("__bridge.callBackWithID(\"f\", 12)"));
  EXPECT_TRUE(application->modalWindows.empty());
  EXPECT_FALSE(mainWindow->simulating);
}

TEST_F(ModalWebViewTest, ReturnsToTheFrontUnlessDebuggingOrInspecting) {
  ModalWebViewController::bringToFrontDelay = 0.05;
  auto controller = open();
  auto& window = *application->modalWindows.back();
  auto shownAfterAWhile = [&] {
    int before = window.shown;
    MainQueue::runUntil([] { return false; }, 0.2);
    return window.shown - before;
  };
  controller->otherWindowCameToFront(false);
  EXPECT_EQ(shownAfterAWhile(), 1);
  controller->otherWindowCameToFront(true);
  EXPECT_EQ(shownAfterAWhile(), 0) << "the web inspector may stay in front";
  storage.storage().setBool("TzEnableDebugging", true);
  controller->otherWindowCameToFront(false);
  EXPECT_EQ(shownAfterAWhile(), 0) << "so may anything while debugging";
  storage.storage().setBool("TzEnableDebugging", false);
  controller->otherWindowCameToFront(false);
  window.close();
  EXPECT_EQ(shownAfterAWhile(), 0) << "not once it is closed";
  ModalWebViewController::bringToFrontDelay = 3.0;
}

}  // namespace
}  // namespace atelier::test
