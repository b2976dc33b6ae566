#include "core/device_storage_manager.h"
#include "core/user_defaults.h"
#include "support/test_environment.h"

#include <gtest/gtest.h>

#include <fstream>
#include <thread>

namespace atelier {
namespace {

namespace fs = std::filesystem;

TEST(UserDefaults, ValuesSurviveARestart) {
  auto file = test::freshDirectory("defaults") / "settings.json";
  {
    UserDefaults defaults(file);
    defaults.setBool("TzEnableDebugging", true);
    defaults.setInteger("TzProxyPort", 51234);
    defaults.setString("TzVersionNumber", "2.1/β");
    defaults.setInteger("li", 7);
    defaults.removeObject("li");
  }
  UserDefaults reopened(file);
  EXPECT_EQ(reopened.boolForKey("TzEnableDebugging"), true);
  EXPECT_EQ(reopened.integerForKey("TzProxyPort"), 51234);
  EXPECT_EQ(reopened.stringForKey("TzVersionNumber"), "2.1/β");
  EXPECT_FALSE(reopened.hasKey("li"));
  EXPECT_EQ(reopened.integerForKey("li"), std::nullopt);
  EXPECT_EQ(reopened.stringForKey("TzProxyPort"), std::nullopt) << "types are not mixed up";
}

TEST(UserDefaults, TornWriteLeavesTheLastGoodFile) {
  auto directory = test::freshDirectory("torn");
  auto file = directory / "settings.json";
  UserDefaults(file).setInteger("TzProxyPort", 4000);
  // A writer that died mid-way leaves only its temporary file behind.
  std::ofstream(directory / "settings.json.A1b2C3") << "{\"TzProxyPort\": 50";
  EXPECT_EQ(UserDefaults(file).integerForKey("TzProxyPort"), 4000);
}

TEST(UserDefaults, DamagedFileIsSetAsideNotLost) {
  auto directory = test::freshDirectory("damaged");
  auto file = directory / "settings.json";
  std::ofstream(file) << "{\"TzProxyPort\": 50";
  UserDefaults defaults(file);
  EXPECT_FALSE(defaults.hasKey("TzProxyPort"));
  defaults.setBool("TzEnableDebugging", false);

  int asideCount = 0;
  for (auto& entry : fs::directory_iterator(directory)) {
    if (entry.path().filename().string().starts_with("settings.json.damaged-")) {
      ++asideCount;
      std::ifstream in(entry.path());
      EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "{\"TzProxyPort\": 50");
    }
  }
  EXPECT_EQ(asideCount, 1);
  EXPECT_EQ(UserDefaults(file).boolForKey("TzEnableDebugging"), false);
}

TEST(UserDefaults, ConcurrentWritersLoseNothing) {
  auto file = test::freshDirectory("concurrent") / "settings.json";
  {
    UserDefaults defaults(file);
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t) {
      writers.emplace_back([&, t] {
        for (int i = 0; i < 25; ++i) defaults.setInteger("key" + std::to_string(t) + "_" + std::to_string(i), i);
      });
    }
    for (auto& writer : writers) writer.join();
  }
  UserDefaults reopened(file);
  for (int t = 0; t < 4; ++t) EXPECT_EQ(reopened.integerForKey("key" + std::to_string(t) + "_24"), 24);
}

TEST(DeviceStorageManagerDeathTest, SecondInstanceStopsTheProcess) {
  auto file = test::freshDirectory("singleton") / "settings.json";
  EXPECT_DEATH(
      {
        DeviceStorageManager first(std::make_shared<UserDefaults>(file));
        DeviceStorageManager second(std::make_shared<UserDefaults>(file));
      },
      "DeviceStorageManager must be a singleton");
  DeviceStorageManager only(std::make_shared<UserDefaults>(file));
  EXPECT_EQ(DeviceStorageManager::shared(), &only);
}

}  // namespace
}  // namespace atelier
