#include "core/app_info.h"
#include "core/app_paths.h"
#include "core/branding.h"
#include "core/color.h"
#include "core/hashing.h"
#include "core/resources.h"
#include "core/text_helpers.h"
#include "support/test_environment.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <regex>

namespace atelier {
namespace {

namespace fs = std::filesystem;

TEST(Hashing, Md5InHexAndBase64) {
  EXPECT_EQ(hashedKey(""), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(hashedKey("The quick brown fox jumps over the lazy dog"), "9e107d9d372bb6826bd81d3542a419d6");
  EXPECT_EQ(hashedKey("\xC3\xA9"), "66ddcd97cfdeabb2f6fb8a999b4bc76f");
  EXPECT_EQ(md5Base64(""), "1B2M2Y8AsgTpgAmY7PhCfg==");
  EXPECT_EQ(md5Base64(std::string("\0\xFF", 2)).size(), 24u);
}

TEST(TextHelpers, UuidIsUpperCaseAndFresh) {
  std::regex form("^[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}$");
  auto first = uuidString();
  EXPECT_TRUE(std::regex_match(first, form)) << first;
  EXPECT_NE(first, uuidString());
}

TEST(TextHelpers, MimeTypeByExtension) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"photo.jpg", "image/jpeg"},       {"/a/b/PHOTO.PNG", "image/png"},  {"page.html", "text/html"},
      {"data.json", "application/json"}, {"archive.zip", "application/zip"},
      {"noextension", "application/octet-stream"}, {"file.unknownext", "application/octet-stream"},
  };
  for (const auto& [path, mime] : cases) EXPECT_EQ(mimeTypeForPath(path), mime) << path;
}

TEST(Color, FromHexString) {
  struct Case {
    std::string text;
    Color color;
  };
  const std::vector<Case> cases = {
      {"#1a2b3c", {0x1a / 255.0, 0x2b / 255.0, 0x3c / 255.0, 1}},
      {"0xF00", {1, 0, 0, 1}},
      {"F008", {1, 0, 0, 8 / 15.0}},
      {"#11223344", {0x11 / 255.0, 0x22 / 255.0, 0x33 / 255.0, 0x44 / 255.0}},
      {"abc12", {0, 0, 0, 1}},
      {"#", {0, 0, 0, 1}},
      {"#zz0000", {0, 0, 0, 1}},  // no digits read: 0, yet six characters
      {"#12zz56", {0, 0, 0x12 / 255.0, 1}},  // reading stops at "z": the value is 0x12
  };
  for (const auto& c : cases) {
    auto color = colorFromHexString(c.text);
    EXPECT_DOUBLE_EQ(color.red, c.color.red) << c.text;
    EXPECT_DOUBLE_EQ(color.green, c.color.green) << c.text;
    EXPECT_DOUBLE_EQ(color.blue, c.color.blue) << c.text;
    EXPECT_DOUBLE_EQ(color.alpha, c.color.alpha) << c.text;
  }
}

class ResourceDirectoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved = Resources::directory();
    Resources::setDirectory(directory);
    fs::create_directories(directory / "sync");
  }
  void TearDown() override { Resources::setDirectory(saved); }
  void writeBranding(const std::string& json) { std::ofstream(directory / "sync" / "branding.json") << json; }

  fs::path saved;
  fs::path directory = test::freshDirectory("resources");
};

TEST_F(ResourceDirectoryTest, BrandingValueByKeyPath) {
  EXPECT_EQ(brandingValue("meta.osx-title-bar-color"), std::nullopt) << "no file";
  writeBranding(R"({"meta": {"osx-title-bar-color": "#1a2b3c", "number": 5}, "top": "t"})");
  EXPECT_EQ(brandingValue("meta.osx-title-bar-color"), "#1a2b3c");
  EXPECT_EQ(brandingValue("top"), "t");
  EXPECT_EQ(brandingValue("meta.number"), std::nullopt);
  EXPECT_EQ(brandingValue("meta"), std::nullopt);
  EXPECT_EQ(brandingValue("top.deeper"), std::nullopt);
  EXPECT_EQ(brandingValue("meta.missing"), std::nullopt);
  writeBranding("[1, 2]");
  EXPECT_EQ(brandingValue("meta.osx-title-bar-color"), std::nullopt);
  writeBranding("{broken");
  EXPECT_EQ(brandingValue("meta.osx-title-bar-color"), std::nullopt);
}

TEST_F(ResourceDirectoryTest, InfoAndStringsFallBackQuietly) {
  EXPECT_EQ(AppInfo::bundleIdentifier(), "org.atelier.Atelier");
  EXPECT_EQ(AppInfo::displayName(), "");
  EXPECT_EQ(Resources::localizedString("platform.alert.warning"), "platform.alert.warning");
  std::ofstream(directory / "Info.json") << R"({"CFBundleName": "Name only", "CFBundleShortVersionString": "3.2"})";
  Resources::setDirectory(directory);
  EXPECT_EQ(AppInfo::displayName(), "Name only");
  EXPECT_EQ(AppInfo::shortVersion(), "3.2");
  EXPECT_EQ(AppInfo::buildNumber(), "");
}

TEST(AppInfo, UserAgentAndLabelsFromTheShippedResources) {
  EXPECT_EQ(AppInfo::userAgent(), "tzrosx.default.org.atelier.Atelier/1.0.0.1");
  EXPECT_EQ(AppInfo::queueLabel(".textRenderingQueue"), "org.atelier.textRenderingQueue");
  EXPECT_EQ(Resources::localizedString("platform.alert.button"), "Quit");
  EXPECT_TRUE(Resources::urlForResource("branding", "json", "sync").has_value());
  EXPECT_FALSE(Resources::urlForResource("missing", "json", "sync").has_value());
}

TEST(TestingMode, OnlyTheExactArgumentCounts) {
  const std::vector<std::pair<std::vector<const char*>, bool>> cases = {
      {{"atelier", "testing"}, true},
      {{"atelier", "--resources", "x", "testing"}, true},
      {{"atelier", "--testing"}, false},
      {{"atelier", "Testing"}, false},
      {{"atelier"}, false},
  };
  for (const auto& [arguments, expected] : cases) {
    std::vector<char*> argv;
    for (auto* argument : arguments) argv.push_back(const_cast<char*>(argument));
    TestingMode::setFromArguments(static_cast<int>(argv.size()), argv.data());
    EXPECT_EQ(TestingMode::isOn(), expected) << arguments.back();
  }
  TestingMode::set(false);
}

TEST(AppPaths, ApplicationSupportDirectoriesAreCreated) {
  auto directory = urlForDirectoryInApplicationSupport(std::string("File Storage/.protectedFileStorage"), false);
  ASSERT_TRUE(directory.has_value());
  EXPECT_EQ(*directory, AppPaths::dataHome() / "org.atelier.Atelier" / "File Storage/.protectedFileStorage");
  EXPECT_TRUE(fs::is_directory(*directory));
  EXPECT_EQ(urlForDirectoryInApplicationSupport(std::nullopt, false), AppPaths::dataHome() / "org.atelier.Atelier");

  // A file where the directory should be: logged, nothing returned.
  std::ofstream(AppPaths::dataHome() / "org.atelier.Atelier" / "blocker") << "x";
  test::LogCapture log;
  EXPECT_FALSE(urlForDirectoryInApplicationSupport(std::string("blocker/inner"), false).has_value());
  ASSERT_EQ(log.lines().size(), 1u);
  EXPECT_TRUE(log.texts()[0].starts_with("failed to create directory in application support: ")) << log.texts()[0];
}

TEST(AppPaths, TemporaryDirectoryIsPrivate) {
  auto directory = AppPaths::temporaryDirectory();
  EXPECT_EQ(directory, AppPaths::cacheHome() / "org.atelier.Atelier" / "tmp");
  struct stat info {};
  ASSERT_EQ(::lstat(directory.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);

  // A symlink planted where the directory goes is refused.
  auto planted = test::freshDirectory("planted") / "tmp";
  fs::create_directory_symlink(test::freshDirectory("elsewhere"), planted);
  std::string error;
  EXPECT_FALSE(AppPaths::ensurePrivateDirectory(planted, error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace atelier
