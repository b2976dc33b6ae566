#pragma once

#include "core/app_info.h"
#include "core/device_storage_manager.h"
#include "serving/request_proxy.h"
#include "support/http_client.h"
#include "support/test_environment.h"

#include <gtest/gtest.h>

#include <memory>

namespace atelier::test {

// A started request proxy in testing mode, with settings of its own.
class ProxyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestingMode::set(true);
    settings = std::make_unique<DeviceStorageManager>(std::make_shared<UserDefaults>(settingsFile));
  }
  void TearDown() override {
    proxy.reset();
    settings.reset();
    TestingMode::set(false);
  }
  RequestProxy& start(HttpServerOptions options = {}) {
    proxy = std::make_unique<RequestProxy>(options);
    return *proxy;
  }
  uint16_t port() const { return proxy->port(); }
  std::optional<ClientResponse> get(const std::string& target, const std::string& headers = "") {
    return exchange(port(), requestText("GET", target, port(), headers));
  }

  std::filesystem::path settingsFile = freshDirectory("proxy-settings") / "settings.json";
  std::unique_ptr<DeviceStorageManager> settings;
  std::unique_ptr<RequestProxy> proxy;
};

}  // namespace atelier::test
