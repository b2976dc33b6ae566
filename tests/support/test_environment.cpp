#include "support/test_environment.h"

#include "core/main_queue.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <utility>

namespace atelier::test {

const std::filesystem::path& testRoot() {
  static const std::filesystem::path root = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "atelier-test-XXXXXX").string();
    return std::filesystem::path(::mkdtemp(pattern.data()));
  }();
  return root;
}

std::filesystem::path freshDirectory(const std::string& hint) {
  static std::atomic<int> counter{0};
  auto directory = testRoot() / "work" / (hint + "-" + std::to_string(counter++));
  std::filesystem::create_directories(directory);
  return directory;
}

void RecordingWebview::evaluateScript(const std::string& script, Completion completion) {
  {
    std::lock_guard lock(mutex_);
    statements_.push_back(script);
  }
  if (completion) completion(std::nullopt);
}

std::vector<std::string> RecordingWebview::statements() const {
  std::lock_guard lock(mutex_);
  return statements_;
}

std::vector<std::string> RecordingWebview::take() {
  MainQueue::runUntilIdle();
  std::lock_guard lock(mutex_);
  return std::exchange(statements_, {});
}

void RecordingWebview::clear() {
  std::lock_guard lock(mutex_);
  statements_.clear();
}

LogCapture::LogCapture() {
  token_ = Log::addObserver([this](const LogLine& line) {
    std::lock_guard lock(mutex_);
    lines_.push_back(line);
  });
}

LogCapture::~LogCapture() { Log::removeObserver(token_); }

std::vector<LogLine> LogCapture::lines() const {
  std::lock_guard lock(mutex_);
  return lines_;
}

std::vector<std::string> LogCapture::texts() const {
  std::vector<std::string> texts;
  for (auto& line : lines()) texts.push_back(line.text);
  return texts;
}

bool LogCapture::contains(const std::string& text) const {
  auto all = texts();
  return std::find(all.begin(), all.end(), text) != all.end();
}

}  // namespace atelier::test
