#pragma once

#include "bridge/js_script_handler.h"
#include "core/logging.h"

#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

namespace atelier::test {

// The temporary home every test process runs in (XDG dirs point below it).
const std::filesystem::path& testRoot();
// A fresh empty directory below the test root.
std::filesystem::path freshDirectory(const std::string& hint);

// Records the statements the bridge evaluates in the "page".
class RecordingWebview : public JSScriptHandler {
 public:
  void evaluateScript(const std::string& script, Completion completion) override;
  std::vector<std::string> statements() const;
  void clear();
  // Runs the main queue until idle, then hands over what was evaluated.
  std::vector<std::string> take();

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> statements_;
};

// Collects the log lines emitted while it lives.
class LogCapture {
 public:
  LogCapture();
  ~LogCapture();
  std::vector<LogLine> lines() const;
  std::vector<std::string> texts() const;
  bool contains(const std::string& text) const;

 private:
  int token_;
  mutable std::mutex mutex_;
  std::vector<LogLine> lines_;
};

}  // namespace atelier::test
