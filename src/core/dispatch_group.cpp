#include "core/dispatch_group.h"

#include "core/fatal.h"
#include "core/work_pool.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace atelier {

struct DispatchGroup::State {
  std::mutex mutex;
  std::condition_variable zero;
  long count = 0;
  std::vector<std::function<void()>> waiting;
};

DispatchGroup::DispatchGroup() : state_(std::make_shared<State>()) {}

void DispatchGroup::enter() const {
  std::lock_guard lock(state_->mutex);
  ++state_->count;
}

void DispatchGroup::leave() const {
  std::vector<std::function<void()>> ready;
  {
    std::lock_guard lock(state_->mutex);
    if (state_->count == 0) fatalError("DispatchGroup::leave() without a matching enter()");
    if (--state_->count > 0) return;
    ready.swap(state_->waiting);
  }
  state_->zero.notify_all();
  for (auto& task : ready) task();
}

void DispatchGroup::notify(std::function<void()> task) const {
  {
    std::lock_guard lock(state_->mutex);
    if (state_->count > 0) {
      state_->waiting.push_back(std::move(task));
      return;
    }
  }
  task();
}

void DispatchGroup::wait() const {
  if (WorkPool::isPoolThread()) fatalError("DispatchGroup::wait() on a pool thread can deadlock the pool");
  std::unique_lock lock(state_->mutex);
  state_->zero.wait(lock, [&] { return state_->count == 0; });
}

bool DispatchGroup::waitFor(double seconds) const {
  if (WorkPool::isPoolThread()) fatalError("DispatchGroup::wait() on a pool thread can deadlock the pool");
  std::unique_lock lock(state_->mutex);
  return state_->zero.wait_for(lock, std::chrono::duration<double>(seconds), [&] { return state_->count == 0; });
}

}  // namespace atelier
