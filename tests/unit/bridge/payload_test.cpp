#include "bridge/payload.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace atelier {
namespace {

struct Picture {
  std::string id;
  int64_t width;
};
void to_json(nlohmann::json& json, const Picture& picture) {
  json = {{"id", picture.id}, {"width", picture.width}};
}

TEST(Payload, ValuesBecomeScriptText) {
  EXPECT_EQ(toPayload(true).value(), "true");
  EXPECT_EQ(toPayload(false).value(), "false");
  EXPECT_EQ(toPayload(std::string("a/b \"c\"\n")).value(), R"("a\/b \"c\"\n")");
  EXPECT_EQ(toPayload("\x01\xC3\xA9").value(), "\"\\u0001\xC3\xA9\"");
  EXPECT_EQ(toPayload(int64_t{-42}).value(), "-42");
  EXPECT_EQ(toPayload(3).value(), "3");
  EXPECT_EQ(toPayload(2.0).value(), "2");
  EXPECT_EQ(toPayload(-0.5).value(), "-0.5");
  EXPECT_EQ(toPayload(0.1).value(), "0.1");
  EXPECT_EQ(toPayload(1e300).value(), "1e+300");
  EXPECT_EQ(toPayload(GeneralError::fileNotFound).value(), "100");
  EXPECT_EQ(toPayload(GeneralError::inputInvalid).value(), "12");
  EXPECT_EQ(toPayload(Picture{"x/1", 640}).value(), R"({"id":"x\/1","width":640})");
  EXPECT_EQ(toPayload(std::vector<Picture>{{"a", 1}, {"b", 2}}).value(), R"([{"id":"a","width":1},{"id":"b","width":2}])");
  EXPECT_EQ(toPayload(nlohmann::json{{"nested", {{"list", {1, 2.5, nullptr}}}}}).value(),
            R"({"nested":{"list":[1,2.5,null]}})");
}

TEST(Payload, InvalidTextIsRepairedAndNonNumbersFail) {
  EXPECT_EQ(toPayload(std::string("a\xFFz")).value(), "\"a\xEF\xBF\xBDz\"");
  EXPECT_FALSE(toPayload(std::numeric_limits<double>::quiet_NaN()).has_value());
  EXPECT_FALSE(toPayload(nlohmann::json{{"x", INFINITY}}).has_value());
}

TEST(GeneralErrorCodes, AreThePageContract) {
  EXPECT_EQ(generalErrorFromCode(231), GeneralError::pictureReservationError);
  EXPECT_EQ(generalErrorFromCode(305), GeneralError::httpStatusError);
  EXPECT_EQ(generalErrorFromCode(0), GeneralError::noError);
  EXPECT_FALSE(generalErrorFromCode(11).has_value());
  EXPECT_EQ(describe(GeneralError::pictureAuthorizationDenied), "pictureAuthorizationDenied");
}

}  // namespace
}  // namespace atelier
