#pragma once

#include "menu/menu_item_protocol.h"

#include <memory>
#include <string>

namespace atelier {

// A standard entry: its action and title come from the identifier.
class ContainerMenuItem : public DescribedMenuItem {
 public:
  struct Standard {
    platform::MenuAction action = platform::MenuAction::none;
    std::string title;
  };
  // The action and title of a standard identifier; none and "" for others.
  static Standard standardEntry(const std::string& identifier);

  // The platform entry; it owns its ContainerMenuItem (the represented object).
  static std::shared_ptr<platform::MenuItem> makeItem(MenuItem descriptor);

  void update(Completion completion) override;

 private:
  explicit ContainerMenuItem(MenuItem descriptor) : DescribedMenuItem(std::move(descriptor)) {}
};

}  // namespace atelier
