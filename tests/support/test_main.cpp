// Every test process runs in a temporary home of its own, with the build's
// resources, the calling thread as the main thread and no system log.
#include "core/main_queue.h"
#include "core/resources.h"
#include "support/test_environment.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::GTEST_FLAG(death_test_style) = "threadsafe";

  const auto& root = atelier::test::testRoot();
  for (auto [variable, leaf] : {std::pair{"HOME", "home"}, {"XDG_DATA_HOME", "data"}, {"XDG_CONFIG_HOME", "config"},
                                {"XDG_CACHE_HOME", "cache"}, {"XDG_STATE_HOME", "state"}}) {
    auto directory = root / leaf;
    std::filesystem::create_directories(directory);
    ::setenv(variable, directory.c_str(), 1);
  }
  ::unsetenv("ATELIER_LOG_LEVEL");
  atelier::Resources::setDirectory(ATELIER_TEST_RESOURCES_DIR);
  atelier::Resources::setTestDirectory(ATELIER_TEST_FIXTURES_DIR);
  atelier::MainQueue::adoptCurrentThread();

  int result = RUN_ALL_TESTS();
  std::error_code ec;
  std::filesystem::remove_all(root, ec);
  return result;
}
