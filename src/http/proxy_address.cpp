#include "http/proxy_address.h"

#include <atomic>

namespace atelier {
namespace {
std::atomic<uint16_t> currentPort{0};
}

void ProxyAddress::setPort(uint16_t port) { currentPort = port; }
uint16_t ProxyAddress::port() { return currentPort; }

std::string ProxyAddress::baseURL() {
  return std::string("http://") + kHost + ":" + std::to_string(currentPort.load()) + "/";
}

std::string ProxyAddress::fileBase() { return baseURL() + kFilePrefix + "/"; }
std::string ProxyAddress::ajaxProxyURL() { return baseURL() + kAjaxPrefix + "/"; }

}  // namespace atelier
