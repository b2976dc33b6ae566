#pragma once

#include "menu/menu_item.h"
#include "menu/menu_item_protocol.h"

#include <memory>
#include <string>

namespace atelier {

// A standard entry: its action and title come from the identifier.
class ContainerMenuItem : public MenuItemProtocol {
 public:
  struct Standard {
    platform::MenuAction action = platform::MenuAction::none;
    std::string title;
  };
  // The action and title of a standard identifier; none and "" for others.
  static Standard standardEntry(const std::string& identifier);

  // The platform entry; it owns its ContainerMenuItem (the represented object).
  static std::shared_ptr<platform::MenuItem> makeItem(MenuItem descriptor);

  platform::MenuItem& menuItem() override { return *menuItem_; }
  void update(Completion completion) override;
  const MenuItem& descriptor() const { return descriptor_; }

 private:
  explicit ContainerMenuItem(MenuItem descriptor) : descriptor_(std::move(descriptor)) {}
  platform::MenuItem* menuItem_ = nullptr;  // owns this object
  MenuItem descriptor_;
};

}  // namespace atelier
