#include "bridge/dealloc_block_container.h"

#include "core/fatal.h"

namespace atelier {

DeallocBlockContainer::DeallocBlockContainer(std::function<void()> deallocBlock)
    : deallocBlock_(std::move(deallocBlock)) {
  if (!deallocBlock_) fatalError("DeallocBlockContainer needs an action");
}

DeallocBlockContainer::~DeallocBlockContainer() { deallocBlock_(); }

}  // namespace atelier
