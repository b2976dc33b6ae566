#pragma once

#include <functional>

namespace atelier {

// The main thread's queue, on the GLib main context of the main thread.
// Tasks run in the order they were posted, one after the other.
class MainQueue {
 public:
  using Task = std::function<void()>;

  // Marks the calling thread as the main thread (first thing in main()).
  static void adoptCurrentThread();
  static bool isMainThread();

  // Safe from any thread. The task never runs inside post().
  static void post(Task task);
  static void postAfter(double seconds, Task task);

  // For tests and headless tools on the main thread: run the context until
  // nothing is pending, or until the condition holds (false on time-out).
  static void runUntilIdle();
  static bool runUntil(const std::function<bool()>& condition, double timeoutSeconds);
};

}  // namespace atelier
