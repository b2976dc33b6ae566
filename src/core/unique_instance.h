#pragma once

#include "core/fatal.h"

#include <atomic>

namespace atelier {

// The process-wide slot of a class of which at most one instance may live.
// The instance claims it in its constructor and releases it when destroyed;
// a second claim while one lives stops the process with the given message.
template <class T>
class UniqueInstance {
 public:
  static void claim(T* instance, const char* fatalMessage) {
    T* expected = nullptr;
    if (!slot().compare_exchange_strong(expected, instance)) fatalError(fatalMessage);
  }
  static void release(T* instance) { slot().compare_exchange_strong(instance, nullptr); }
  static T* get() { return slot().load(); }

 private:
  static std::atomic<T*>& slot() {
    static std::atomic<T*> instance{nullptr};
    return instance;
  }
};

}  // namespace atelier
