#include "app/orientation_web_object.h"
#include "bridge/message_handler.h"
#include "support/test_environment.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace atelier::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class OrientationTest : public ::testing::Test {
 protected:
  OrientationTest() { handler.setWebview(page); }
  std::vector<std::string> call(const nlohmann::json& body) {
    handler.userContentController(body);
    return page->take();
  }
  std::shared_ptr<RecordingWebview> page = std::make_shared<RecordingWebview>();
  MessageHandler handler{{std::make_shared<OrientationWebObject>()}};
};

TEST_F(OrientationTest, LockAndTypeAnswerNotAvailable) {
  {
    LogCapture log;
    EXPECT_THAT(call({{"name", "orientation.lock"}, {"parameters", "\"landscape\""}, {"failure", "f"}}),
                ElementsAre("__bridge.callBackWithID(\"f\", 1)", "__bridge.removeCallBackWithID(\"f\")"));
    EXPECT_THAT(log.texts(), ElementsAre("Not implemented for OS X"));
    EXPECT_STREQ(log.lines()[0].source, "Orientation/OrientationManager-OSX");
    EXPECT_STREQ(log.lines()[0].function, "lock(maskString:success:error:)");
  }
  {
    LogCapture log;
    EXPECT_THAT(call({{"name", "orientation.type"}, {"failure", "f"}}),
                ElementsAre("__bridge.callBackWithID(\"f\", 1)", "__bridge.removeCallBackWithID(\"f\")"));
    EXPECT_THAT(log.texts(), ElementsAre("Not implemented for OS X", "Error getting orientation type: defaultError"));
    EXPECT_STREQ(log.lines()[1].source, "Webview Communication/Web Objects/OrientationWebObject");
  }
}

TEST_F(OrientationTest, UnlockAnswersNothingAndLockNeedsItsMask) {
  EXPECT_THAT(call({{"name", "orientation.unlock"}, {"success", "s"}}), ElementsAre("__bridge.removeCallBackWithID(\"s\")"));
  LogCapture log;
  EXPECT_THAT(call({{"name", "orientation.lock"}, {"failure", "f"}}),
              ElementsAre("__bridge.callBackWithID(\"f\", 12)", "__bridge.removeCallBackWithID(\"f\")"));
  EXPECT_THAT(log.texts(), ElementsAre("Error when calling webobject orientation.lock: parametersMissing"));
}

}  // namespace
}  // namespace atelier::test
