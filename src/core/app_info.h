#pragma once

#include <string>

namespace atelier {

// Identity of the application, from the information dictionary with
// built-in fallbacks for the identifier.
class AppInfo {
 public:
  static constexpr const char* kDefaultBundleIdentifier = "org.atelier.Atelier";
  // Prefix of queue labels ("org.atelier.textRenderingQueue").
  static constexpr const char* kIdentifierPrefix = "org.atelier";

  static std::string bundleIdentifier();  // CFBundleIdentifier
  static std::string displayName();       // CFBundleDisplayName, else CFBundleName, else ""
  static std::string bundleName();        // CFBundleName, "" when absent
  static std::string shortVersion();      // CFBundleShortVersionString, "" when absent
  static std::string buildNumber();       // CFBundleVersion, "" when absent
  // "tzrosx.default.<bundle id>/<short version>.<build>", computed once.
  static const std::string& userAgent();
  static std::string queueLabel(const char* suffix);  // prefix + suffix
};

// Process-wide testing mode: the exact argument "testing".
class TestingMode {
 public:
  static void setFromArguments(int argc, char** argv);
  static bool isOn();
  static void set(bool on);
};

}  // namespace atelier
