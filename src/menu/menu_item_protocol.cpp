#include "menu/menu_item_protocol.h"

namespace atelier {

std::shared_ptr<platform::MenuItem> DescribedMenuItem::attach(const std::shared_ptr<DescribedMenuItem>& entry,
                                                              std::string title, platform::MenuAction action) {
  auto item = std::make_shared<platform::MenuItem>();
  item->setTitle(std::move(title));
  item->setAction(action);
  if (entry->descriptor_.keyEquivalent) {
    item->setKeyEquivalent(*entry->descriptor_.keyEquivalent, entry->descriptor_.modifierMask());
  }
  item->representedObject = entry;
  entry->menuItem_ = item.get();
  return item;
}

}  // namespace atelier
