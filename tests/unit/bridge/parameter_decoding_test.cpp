#include "bridge/web_request.h"

#include <gtest/gtest.h>

#include <cmath>

namespace atelier {
namespace {

WebRequest withData(std::optional<std::string> data) {
  WebRequest request;
  request.data = std::move(data);
  return request;
}

TEST(ParameterDecoding, StringsLoseTheirFirstAndLastCharacterUnseen) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"\"abc\"", "abc"},
      {"12", ""},               // bare text: both characters go
      {"\"a\\\"b\"", "a\\\"b"},  // escapes are not decoded
      {"\"\xC3\xA9t\xC3\xA9\"", "\xC3\xA9t\xC3\xA9"},
      {"\xC3\xA9x\xC3\xA9", "x"},  // whole characters, not bytes
      {"x", ""},
      {"", ""},
      {"\"ab\xFF\"", ""},  // invalid UTF-8
  };
  for (const auto& [bytes, expected] : cases) {
    EXPECT_EQ(withData(bytes).decodeParameters<std::string>(), expected) << bytes;
  }
}

TEST(ParameterDecoding, IntegersParseWhollyOrGiveZero) {
  const std::vector<std::pair<std::string, int64_t>> cases = {
      {"12", 12},  {"-7", -7}, {"+5", 5}, {"12x", 0}, {" 12", 0}, {"", 0}, {"+-1", 0}, {"1.5", 0},
      {"9223372036854775807", INT64_MAX}, {"9223372036854775808", 0}, {"\"12\"", 0}, {"\xFF", 0},
  };
  for (const auto& [bytes, expected] : cases) {
    EXPECT_EQ(withData(bytes).decodeParameters<int64_t>(), expected) << bytes;
  }
}

TEST(ParameterDecoding, DoublesParseInTheCLocale) {
  const std::vector<std::pair<std::string, double>> cases = {
      {"1.5", 1.5}, {"-2e3", -2000}, {"+0.25", 0.25}, {"1,5", 0}, {"abc", 0}, {"", 0}, {"3.", 3},
  };
  for (const auto& [bytes, expected] : cases) {
    EXPECT_DOUBLE_EQ(withData(bytes).decodeParameters<double>(), expected) << bytes;
  }
}

struct Size {
  int width = 0;
  int height = 0;
};
void from_json(const nlohmann::json& json, Size& size) {
  json.at("width").get_to(size.width);
  json.at("height").get_to(size.height);
}

TEST(ParameterDecoding, StructuresComeFromJSON) {
  auto size = withData(R"({"width": 640, "height": 480})").decodeParameters<Size>();
  EXPECT_EQ(size.width, 640);
  EXPECT_EQ(size.height, 480);
  EXPECT_EQ(withData("[1,2]").decodeParameters<std::vector<int>>(), (std::vector<int>{1, 2}));
  EXPECT_EQ(withData("12").decodeParameters<GeneralError>(), GeneralError::inputInvalid);

  EXPECT_THROW(withData("{\"width\": 1}").decodeParameters<Size>(), nlohmann::json::exception);
  EXPECT_THROW(withData("not json").decodeParameters<Size>(), nlohmann::json::exception);
  EXPECT_THROW(withData("13").decodeParameters<GeneralError>(), nlohmann::json::exception);
}

TEST(ParameterDecoding, MissingParametersFail) {
  try {
    withData(std::nullopt).decodeParameters<std::string>();
    FAIL() << "no error";
  } catch (const WebCommException& error) {
    EXPECT_EQ(error.error(), WebCommError::parametersMissing);
  }
}

}  // namespace
}  // namespace atelier
