#include "app/value_injecter.h"
#include "app/webview_manager.h"
#include "core/app_info.h"
#include "core/device_storage_manager.h"
#include "core/resources.h"
#include "http/proxy_address.h"
#include "support/fake_platform.h"
#include "support/test_environment.h"
#include "updates/reachability_compat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>

namespace atelier::test {
namespace {

namespace fs = std::filesystem;

TEST(ValueInjecter, WritesEveryValueAsOneStatement) {
  auto file = freshDirectory("values") / "settings.json";
  DeviceStorageManager storage(std::make_shared<UserDefaults>(file));
  storage.storage().setInteger("li", 1700000000);
  auto savedPort = ProxyAddress::port();
  ProxyAddress::setPort(5000);
  ::setenv("LANG", "de_DE.UTF-8", 1);

  auto page = std::make_shared<RecordingWebview>();
  auto injecter = std::make_shared<ValueInjecter>(page);
  EXPECT_EQ(injecter->injectValues(),
            R"(__bridge["shortVersion"] = "1.0.0";__bridge["os"] = "osx";__bridge["buildNumber"] = "1";)"
            R"(__bridge["locale"] = "de_DE";__bridge["getProxyURL"] = "http:\/\/localhost:5000\/__tzr_proxy\/";)"
            R"(__bridge["isNetworkReachable"] = false;__bridge["connectionType"] = "UNKNOWN";)"
            R"(__bridge["currentTimeStamp"] = 1700000000;__bridge["canReadWriteProjectExports"] = true;)"
            R"(__bridge["canReadWriteTalvoProjectExports"] = true)");
  ::unsetenv("LANG");
  ProxyAddress::setPort(savedPort);
}

TEST(ValueInjecter, MissingVersionsAreEmptyTexts) {
  auto directory = freshDirectory("no-version");
  std::ofstream(directory / "Info.json") << R"({"CFBundleIdentifier": "org.atelier.Atelier"})";
  auto saved = Resources::directory();
  Resources::setDirectory(directory);
  EXPECT_EQ(ValueInjecter::statement("shortVersion", AppInfo::shortVersion()), R"(__bridge["shortVersion"] = "")");
  Resources::setDirectory(saved);
  EXPECT_EQ(ValueInjecter::statement("x", std::nan("")), "") << "a value that cannot be written leaves it empty";
}

TEST(Reachability, StatusAndConnectionType) {
  struct Case {
    bool available, full, metered;
    std::string type;
    bool reachable;
  };
  const std::vector<Case> cases = {
      {true, true, false, "WIFI", true},   {true, true, true, "CELL", true},  {true, false, true, "CELL", true},
      {false, false, false, "NONE", false}, {true, false, false, "UNKNOWN", false},
  };
  for (const auto& c : cases) {
    auto status = ReachabilityCompat::statusFor(c.available, c.full, c.metered);
    EXPECT_EQ(ReachabilityCompat::connectionType(status, true), c.type);
    EXPECT_EQ(ReachabilityCompat::isReachable(status), c.reachable);
  }
  EXPECT_EQ(ReachabilityCompat::connectionType(ReachabilityStatus::reachableViaWiFi, /*hasMonitor=*/false), "NONE");
}

TEST(WebviewManagerDeathTest, MissingBridgeScriptsStopTheProcess) {
  auto directory = freshDirectory("no-scripts");
  auto saved = Resources::directory();
  // Everything the manager needs but the two scripts.
  fs::create_directories(directory / "sync/bundleStorage");
  fs::copy_file(saved / "sync/bundleStorage/bundle.db", directory / "sync/bundleStorage/bundle.db");
  fs::copy_file(saved / "version1.sql", directory / "version1.sql");
  Resources::setDirectory(directory);
  auto panels = std::make_shared<FakePanels>();
  // The manager itself is made in the child: it starts the loopback server.
  EXPECT_DEATH(std::make_shared<WebviewManager>(panels)->objectsUserScript(),
               "Could not load script bridge 'objects.js'");
  EXPECT_DEATH(std::make_shared<WebviewManager>(panels)->proxyUserScript(),
               "Could not load script bridge 'ajax-proxy.js'");
  Resources::setDirectory(saved);
}

}  // namespace
}  // namespace atelier::test
