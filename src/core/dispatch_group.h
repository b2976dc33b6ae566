#pragma once

#include <functional>
#include <memory>

namespace atelier {

// Counts outstanding work; copies share the count. notify() runs its task
// once the count is zero (on the thread of the last leave(), or at once).
// wait() blocks, so it is refused on a pool thread: the work it waits for may
// be queued behind it on the same pool.
class DispatchGroup {
 public:
  DispatchGroup();
  void enter() const;
  void leave() const;
  void notify(std::function<void()> task) const;
  void wait() const;
  bool waitFor(double seconds) const;  // false on time-out

 private:
  struct State;
  std::shared_ptr<State> state_;
};

}  // namespace atelier
