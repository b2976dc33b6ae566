#include "bridge/message_handler.h"
#include "core/main_queue.h"
#include "core/work_pool.h"
#include "support/test_environment.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>

namespace atelier {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using test::LogCapture;
using test::RecordingWebview;

class ProbeWebObject : public WebObject {
 public:
  explicit ProbeWebObject(RecordingWebview& page) : WebObject("probe") {
    addFunction("fulfillTrue", [&page, this](WebRequest request) {
      request.fulfill(true);
      evaluatedDuringCall = !page.statements().empty();
    });
    addFunction("fulfillEmpty", [](WebRequest request) { request.fulfill(); });
    addFunction("fails", [](WebRequest) { throw GeneralErrorException(GeneralError::fileNotFound); });
    addFunction("decodes", [](WebRequest request) { request.fulfill(request.decodeParameters<int64_t>()); });
    addFunction("rejects", [](WebRequest request) { request.reject(GeneralError::fileNotFound); });
    addFunction("object", [](WebRequest request) { request.fulfill(nlohmann::json{{"path", "a/b"}, {"n", 2.0}}); });
    addFunction("keep", [this](WebRequest request) { kept.push_back(std::move(request)); });
  }
  bool evaluatedDuringCall = false;
  std::vector<WebRequest> kept;
};

class DispatcherTest : public ::testing::Test {
 protected:
  DispatcherTest() : probe(std::make_shared<ProbeWebObject>(*page)), handler({probe}) {
    handler.setWebview(page);
  }

  std::vector<std::string> dispatch(const nlohmann::json& body) {
    handler.userContentController(body);
    return drain();
  }

  std::vector<std::string> drain() { return page->take(); }

  std::shared_ptr<RecordingWebview> page = std::make_shared<RecordingWebview>();
  std::shared_ptr<ProbeWebObject> probe;
  MessageHandler handler;
};

TEST_F(DispatcherTest, MalformedMessagesReachNothingAndAreLogged) {
  struct Case {
    nlohmann::json body;
    std::string logged;
  };
  const std::vector<Case> cases = {
      {"just text", "Invalid input format for message: \"just text\""},
      {{{"success", "s1"}}, "Invalid input format for message: {\"success\":\"s1\"}"},
      {{{"name", 7}, {"success", "s1"}}, "Invalid input format for message: {\"name\":7,\"success\":\"s1\"}"},
      {{{"name", "probe"}, {"success", "s1"}}, "Invalid number of components in call probe"},
      {{{"name", "probe.fulfillTrue.x"}, {"success", "s1"}}, "Invalid number of components in call probe.fulfillTrue.x"},
      {{{"name", "probe..fulfillTrue"}, {"failure", "f1"}}, "Invalid number of components in call probe..fulfillTrue"},
  };
  for (const auto& c : cases) {
    LogCapture log;
    EXPECT_THAT(dispatch(c.body), IsEmpty()) << c.body.dump();
    EXPECT_THAT(log.texts(), ElementsAre(c.logged));
    EXPECT_EQ(log.lines().at(0).flag, kLogError);
    EXPECT_STREQ(log.lines().at(0).source, "Webview Communication/MessageHandler");
    EXPECT_STREQ(log.lines().at(0).function, "userContentController(_:didReceive:)");
  }
}

TEST_F(DispatcherTest, UnknownObjectOrFunctionRemovesEveryIdWithoutAnswer) {
  struct Case {
    std::string name;
    std::string logged;
  };
  for (const auto& c : std::vector<Case>{{"nobody.call", "WebObject not found for name: nobody.call"},
                                         {"probe.nothing", "Function not found for name probe.nothing"}}) {
    LogCapture log;
    EXPECT_THAT(dispatch({{"name", c.name}, {"success", "s1"}, {"failure", "f1"}}),
                ElementsAre("__bridge.removeCallBackWithID(\"s1\")", "__bridge.removeCallBackWithID(\"f1\")"));
    EXPECT_THAT(log.texts(), ElementsAre(c.logged));
    // Without ids the page hears nothing at all.
    EXPECT_THAT(dispatch({{"name", c.name}}), IsEmpty());
  }
}

TEST_F(DispatcherTest, FailingHandlerIsAnsweredWith12BeforeTheRemovals) {
  LogCapture log;
  EXPECT_THAT(dispatch({{"name", "probe.fails"}, {"success", "s1"}, {"failure", "f1"}, {"extraCallback", "x1"}}),
              ElementsAre("__bridge.callBackWithID(\"f1\", 12)", "__bridge.removeCallBackWithID(\"s1\")",
                          "__bridge.removeCallBackWithID(\"f1\")", "__bridge.removeCallBackWithID(\"x1\")"));
  EXPECT_THAT(log.texts(), ElementsAre("Error when calling webobject probe.fails: fileNotFound"));

  // A parameter that does not decode is a failure like any other.
  EXPECT_THAT(dispatch({{"name", "probe.decodes"}, {"failure", "f2"}}),
              ElementsAre("__bridge.callBackWithID(\"f2\", 12)", "__bridge.removeCallBackWithID(\"f2\")"));
}

TEST_F(DispatcherTest, AnswersComeAfterTheCallAndBeforeTheRemovals) {
  EXPECT_THAT(dispatch({{"name", "probe.fulfillTrue"}, {"success", "s1"}, {"failure", "f1"}}),
              ElementsAre("__bridge.callBackWithID(\"s1\", true)", "__bridge.removeCallBackWithID(\"s1\")",
                          "__bridge.removeCallBackWithID(\"f1\")"));
  EXPECT_FALSE(probe->evaluatedDuringCall);

  EXPECT_THAT(dispatch({{"name", "probe.rejects"}, {"failure", "f1"}}),
              ElementsAre("__bridge.callBackWithID(\"f1\", 100)", "__bridge.removeCallBackWithID(\"f1\")"));
  EXPECT_THAT(dispatch({{"name", "probe.decodes"}, {"parameters", "12"}, {"success", "s1"}}),
              ElementsAre("__bridge.callBackWithID(\"s1\", 12)", "__bridge.removeCallBackWithID(\"s1\")"));
  // A structure arrives as an object literal, "/" escaped.
  EXPECT_THAT(dispatch({{"name", "probe.object"}, {"success", "s1"}}),
              ElementsAre("__bridge.callBackWithID(\"s1\", {\"n\":2,\"path\":\"a\\/b\"})",
                          "__bridge.removeCallBackWithID(\"s1\")"));
}

TEST_F(DispatcherTest, IdsAreQuotedSafely) {
  EXPECT_THAT(dispatch({{"name", "probe.fulfillTrue"}, {"success", "a\"b\\c\nd"}}),
              ElementsAre(R"(__bridge.callBackWithID("a\"b\\c\nd", true))", R"(__bridge.removeCallBackWithID("a\"b\\c\nd"))"));
}

TEST_F(DispatcherTest, AnswerWithoutItsIdIsLoggedAndNotSent) {
  LogCapture log;
  EXPECT_THAT(dispatch({{"name", "probe.fulfillEmpty"}, {"failure", "f1"}}),
              ElementsAre("__bridge.removeCallBackWithID(\"f1\")"));
  EXPECT_THAT(log.texts(), ElementsAre("Callback Error: noCallbackRegistered"));
  EXPECT_STREQ(log.lines().at(0).source, "Webview Communication/Web Objects/WebObject");
  EXPECT_STREQ(log.lines().at(0).function, "fulfill()");
}

TEST_F(DispatcherTest, KeptRequestKeepsItsIdsUntilTheLastCopyGoes) {
  EXPECT_THAT(dispatch({{"name", "probe.keep"}, {"success", "s1"}, {"extraCallback", "x1"}}), IsEmpty());
  ASSERT_EQ(probe->kept.size(), 1u);

  // Answers from pool threads arrive in order on the main queue.
  std::atomic<bool> done{false};
  SerialQueue queue("org.atelier.test");
  WebRequest copy = probe->kept.front();
  queue.async([copy, &done] {
    for (int i = 0; i < 3; ++i) copy.handleAdditional(static_cast<int64_t>(i));
    copy.fulfill(std::string("done"));
    done = true;
  });
  ASSERT_TRUE(MainQueue::runUntil([&] { return done.load(); }, 5));
  copy = WebRequest{};
  EXPECT_THAT(drain(),
              ElementsAre("__bridge.callBackWithID(\"x1\", 0)", "__bridge.callBackWithID(\"x1\", 1)",
                          "__bridge.callBackWithID(\"x1\", 2)", "__bridge.callBackWithID(\"s1\", \"done\")"));

  probe->kept.clear();
  EXPECT_THAT(drain(), ElementsAre("__bridge.removeCallBackWithID(\"s1\")", "__bridge.removeCallBackWithID(\"x1\")"));
}

TEST_F(DispatcherTest, AnswersAfterTheWebviewIsGoneAreDropped) {
  dispatch({{"name", "probe.keep"}, {"success", "s1"}});
  page.reset();
  probe->kept.front().fulfill(true);
  probe->kept.clear();
  MainQueue::runUntilIdle();  // nothing to evaluate in, nothing crashes
}

TEST(DispatcherDeathTest, DuplicateWebObjectNamesStopTheProcess) {
  RecordingWebview page;
  EXPECT_DEATH(MessageHandler({std::make_shared<ProbeWebObject>(page), std::make_shared<ProbeWebObject>(page)}),
               "Duplicate web object name: probe");
}

}  // namespace
}  // namespace atelier
