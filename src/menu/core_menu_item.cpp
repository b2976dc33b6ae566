#include "menu/core_menu_item.h"

#include "core/logging.h"

namespace atelier {

std::shared_ptr<platform::MenuItem> CoreMenuItem::makeItem(MenuItem descriptor,
                                                           std::weak_ptr<JSScriptHandler> evaluator) {
  auto entry = std::shared_ptr<CoreMenuItem>(new CoreMenuItem(std::move(descriptor), std::move(evaluator)));
  return attach(entry, entry->descriptor_.identifier.value_or(""), platform::MenuAction::coreMenuAction);
}

void CoreMenuItem::update(Completion completion) {
  if (!descriptor_.identifier) {
    if (completion) completion(false);
    return;
  }
  auto evaluator = evaluator_.lock();
  if (!evaluator) return;
  // The identifier goes in as it stands: the description is ours, not the page's.
  evaluator->evaluateScript(
      "ovl.osx.menu.itemProperties(\"" + *descriptor_.identifier + "\")",
      [weak = weak_from_this(), completion = std::move(completion)](std::optional<nlohmann::json> result) {
        auto finish = [&completion](bool changed) {
          if (completion) completion(changed);
        };
        auto self = weak.lock();
        if (!self || !result || !result->is_string()) return finish(false);
        MenuUpdateDescriptor answer;
        try {
          answer = nlohmann::json::parse(result->get_ref<const std::string&>()).get<MenuUpdateDescriptor>();
        } catch (const std::exception& error) {
          logError("User Interface/Menu/CoreMenuItem", "update(_:)", std::string("Error updating menu item: ") + error.what());
          return finish(false);
        }
        finish(self->apply(answer));
      });
}

bool CoreMenuItem::apply(const MenuUpdateDescriptor& answer) {
  bool changed = false;
  platform::MenuItem& item = *menuItem_;
  if (answer.enabled) {
    bool enabled = item.action() == platform::MenuAction::coreMenuAction;
    if (*answer.enabled != enabled) {
      item.setAction(*answer.enabled ? platform::MenuAction::coreMenuAction : platform::MenuAction::none);
      changed = true;
    }
  }
  if (answer.title && *answer.title != item.title()) {
    item.setTitle(*answer.title);
    if (item.submenu()) item.submenu()->setTitle(*answer.title);
    changed = true;
  }
  return changed;
}

}  // namespace atelier
