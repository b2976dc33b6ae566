#pragma once

#include "platform/menu.h"

#include <functional>

namespace atelier {

// The application's side of a menu entry.
class MenuItemProtocol : public platform::RepresentedObject {
 public:
  using Completion = std::function<void(bool changed)>;
  virtual platform::MenuItem& menuItem() = 0;
  // Refreshes the entry, then calls the completion (if any) with whether anything changed.
  virtual void update(Completion completion) = 0;
};

}  // namespace atelier
