#pragma once

#include <any>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace atelier {

struct Notification {
  std::string name;
  std::any object;  // empty when posted without one
};

// Named notifications delivered synchronously on the posting thread, in the
// order observers were added.
class NotificationCenter {
 public:
  using Observer = std::function<void(const Notification&)>;
  using Token = std::uint64_t;

  static NotificationCenter& defaultCenter();

  Token addObserver(const std::string& name, Observer observer);
  void removeObserver(Token token);
  void post(const std::string& name, std::any object = {});

 private:
  struct Entry {
    Token token;
    Observer observer;
    bool removed = false;
  };
  std::mutex mutex_;
  Token nextToken_ = 1;
  std::unordered_map<std::string, std::vector<std::shared_ptr<Entry>>> observers_;
};

}  // namespace atelier
