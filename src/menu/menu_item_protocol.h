#pragma once

#include "menu/menu_item.h"
#include "platform/menu.h"

#include <functional>
#include <memory>
#include <string>

namespace atelier {

// The application's side of a menu entry.
class MenuItemProtocol : public platform::RepresentedObject {
 public:
  using Completion = std::function<void(bool changed)>;
  virtual platform::MenuItem& menuItem() = 0;
  // Refreshes the entry, then calls the completion (if any) with whether anything changed.
  virtual void update(Completion completion) = 0;
};

// An entry made from the menu description; its platform entry owns it.
class DescribedMenuItem : public MenuItemProtocol {
 public:
  platform::MenuItem& menuItem() override { return *menuItem_; }
  const MenuItem& descriptor() const { return descriptor_; }

 protected:
  explicit DescribedMenuItem(MenuItem descriptor) : descriptor_(std::move(descriptor)) {}
  // The platform entry for this object: title, action, and the shortcut when
  // the description has a key.
  static std::shared_ptr<platform::MenuItem> attach(const std::shared_ptr<DescribedMenuItem>& entry, std::string title,
                                                    platform::MenuAction action);

  platform::MenuItem* menuItem_ = nullptr;  // owns this object
  MenuItem descriptor_;
};

}  // namespace atelier
