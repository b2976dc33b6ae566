#include "core/app_info.h"

#include "core/resources.h"

#include <atomic>
#include <string_view>

namespace atelier {
namespace {
std::atomic<bool> testingMode{false};
}

std::string AppInfo::bundleIdentifier() {
  return Resources::infoString("CFBundleIdentifier").value_or(kDefaultBundleIdentifier);
}

std::string AppInfo::displayName() {
  if (auto name = Resources::infoString("CFBundleDisplayName")) return *name;
  return bundleName();
}

std::string AppInfo::bundleName() { return Resources::infoString("CFBundleName").value_or(""); }

std::string AppInfo::shortVersion() { return Resources::infoString("CFBundleShortVersionString").value_or(""); }
std::string AppInfo::buildNumber() { return Resources::infoString("CFBundleVersion").value_or(""); }

const std::string& AppInfo::userAgent() {
  static const std::string agent =
      "tzrosx.default." + bundleIdentifier() + "/" + shortVersion() + "." + buildNumber();
  return agent;
}

std::string AppInfo::queueLabel(const char* suffix) { return std::string(kIdentifierPrefix) + suffix; }

void TestingMode::setFromArguments(int argc, char** argv) {
  bool found = false;
  for (int i = 1; i < argc; ++i) {
    if (std::string_view(argv[i]) == "testing") found = true;
  }
  testingMode = found;
}

bool TestingMode::isOn() { return testingMode; }
void TestingMode::set(bool on) { testingMode = on; }

}  // namespace atelier
