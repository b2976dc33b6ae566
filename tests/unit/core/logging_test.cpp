#include "core/log_formatter.h"
#include "core/logging.h"
#include "support/test_environment.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace atelier {
namespace {

TEST(LogFormatter, WritesTheLevelLetterABarAndTheText) {
  const std::vector<std::pair<int, std::string>> cases = {
      {kLogError, "E | text"}, {kLogWarning, "W | text"}, {kLogInfo, "I | text"},
      {kLogDebug, "D | text"}, {kLogVerbose, "V | text"}, {32, " | text"}, {3, " | text"},
  };
  for (const auto& [flag, expected] : cases) EXPECT_EQ(LogFormatter::format(flag, "text"), expected) << flag;
}

class LoggingTest : public ::testing::Test {
 protected:
  void TearDown() override {
    ::unsetenv("ATELIER_LOG_LEVEL");
    Log::setLevel(kLogError | kLogWarning);
  }

  void setup() { Log::setup({.systemLog = false, .fileDirectory = directory}); }

  std::filesystem::path directory = test::freshDirectory("logs");
};

TEST_F(LoggingTest, StartsWithLoggingOnAndWritesOnlyErrorsAndWarnings) {
  test::LogCapture capture;
  setup();
  logInfo("Webview Communication/GeneralWebObject", "webViewDidInit(_:)", "webview did init");
  logDebug("Test", "debug()", "debug line");
  logWarning("Test", "warning()", "warning line");
  logError("Test", "error()", "error line");
  logVerbose("Test", "verbose()", "verbose line");

  EXPECT_EQ(Log::level(), 3);
  ASSERT_EQ(capture.texts(), (std::vector<std::string>{"Logging On", "warning line", "error line"}));
  EXPECT_EQ(capture.lines()[0].flag, kLogWarning);
  EXPECT_STREQ(capture.lines()[0].source, "AppDelegate");
  EXPECT_STREQ(capture.lines()[0].function, "setupLogging()");

  Log::flush();
  auto file = Log::currentLogFile();
  ASSERT_TRUE(file.has_value());
  EXPECT_EQ(file->parent_path(), directory);
  std::ifstream in(*file);
  std::string first, line, all;
  std::getline(in, first);
  EXPECT_NE(first.find(" W "), std::string::npos) << first;
  EXPECT_NE(first.find("AppDelegate setupLogging() | Logging On"), std::string::npos) << first;
  while (std::getline(in, line)) all += line + "\n";
  EXPECT_NE(all.find("Test error() | error line"), std::string::npos) << all;
  EXPECT_EQ(all.find("webview did init"), std::string::npos);
}

TEST_F(LoggingTest, EnvironmentRaisesTheLevelButNeverToVerbose) {
  const std::vector<std::pair<std::string, int>> cases = {{"debug", 15}, {"info", 7}, {"31", 15}, {"nonsense", 3}};
  for (const auto& [value, mask] : cases) {
    ::setenv("ATELIER_LOG_LEVEL", value.c_str(), 1);
    setup();
    EXPECT_EQ(Log::level(), mask) << value;
  }
  test::LogCapture capture;
  ::setenv("ATELIER_LOG_LEVEL", "debug", 1);
  setup();
  logDebug("Test", "debug()", "debug line");
  logVerbose("Test", "verbose()", "verbose line");
  EXPECT_EQ(capture.texts(), (std::vector<std::string>{"Logging On", "debug line"}));
}

}  // namespace
}  // namespace atelier
