#pragma once

#include <functional>

namespace atelier {

// Runs its action exactly once, when destroyed.
class DeallocBlockContainer {
 public:
  explicit DeallocBlockContainer(std::function<void()> deallocBlock);
  ~DeallocBlockContainer();
  DeallocBlockContainer(const DeallocBlockContainer&) = delete;
  DeallocBlockContainer& operator=(const DeallocBlockContainer&) = delete;

 private:
  std::function<void()> deallocBlock_;
};

}  // namespace atelier
