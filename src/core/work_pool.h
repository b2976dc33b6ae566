#pragma once

#include <functional>
#include <memory>
#include <string>

namespace atelier {

// One process-wide pool of worker threads: the global queue.
class WorkPool {
 public:
  using Task = std::function<void()>;
  static void post(Task task);
  static bool isPoolThread();
  static unsigned threadCount();
};

// A serial queue: tasks run one at a time, in order, on the pool. Cheap to
// create (one per picture is fine); copies share the same queue.
class SerialQueue {
 public:
  explicit SerialQueue(std::string label);
  const std::string& label() const;
  void async(WorkPool::Task task) const;
  // True while the calling thread runs a task of this queue.
  bool isCurrent() const;

 private:
  struct Impl;
  std::shared_ptr<Impl> impl_;
};

}  // namespace atelier
