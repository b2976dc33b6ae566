#include "menu/container_menu_item.h"

#include "core/app_info.h"
#include "core/resources.h"

#include <map>

namespace atelier {
namespace {

// The localized text with the bundle name in place of its "%@".
std::string withBundleName(const char* key) {
  auto text = Resources::localizedString(key);
  if (auto at = text.find("%@"); at != std::string::npos) text.replace(at, 2, AppInfo::bundleName());
  return text;
}

}  // namespace

ContainerMenuItem::Standard ContainerMenuItem::standardEntry(const std::string& identifier) {
  using platform::MenuAction;
  struct Row {
    MenuAction action;
    const char* key;  // null: the bundle name itself
    bool formatted;
  };
  static const std::map<std::string, Row, std::less<>> kTable{
      {"application", {MenuAction::none, nullptr, false}},
      {"application.about", {MenuAction::orderFrontStandardAboutPanel, "platform.menu.application.about", true}},
      {"application.hide", {MenuAction::hide, "platform.menu.application.hide", true}},
      {"application.hideOthers", {MenuAction::hideOtherApplications, "platform.menu.application.hideOthers", false}},
      {"application.showAll", {MenuAction::unhideAllApplications, "platform.menu.application.showAll", false}},
      {"application.quit", {MenuAction::terminate, "platform.menu.application.quit", true}},
      {"edit", {MenuAction::none, "platform.menu.edit.title", false}},
      {"edit.cut", {MenuAction::cut, "platform.menu.edit.cut", false}},
      {"edit.copy", {MenuAction::copy, "platform.menu.edit.copy", false}},
      {"edit.paste", {MenuAction::paste, "platform.menu.edit.paste", false}},
      {"edit.selectAll", {MenuAction::selectAll, "platform.menu.edit.selectAll", false}},
      {"window", {MenuAction::none, "platform.menu.window.title", false}},
      {"window.minimize", {MenuAction::miniaturizeAll, "platform.menu.window.minimize", false}},
  };
  auto found = kTable.find(identifier);
  if (found == kTable.end()) return {};
  const Row& row = found->second;
  if (!row.key) return {row.action, AppInfo::bundleName()};
  return {row.action, row.formatted ? withBundleName(row.key) : Resources::localizedString(row.key)};
}

std::shared_ptr<platform::MenuItem> ContainerMenuItem::makeItem(MenuItem descriptor) {
  auto entry = std::shared_ptr<ContainerMenuItem>(new ContainerMenuItem(std::move(descriptor)));
  auto standard = standardEntry(entry->descriptor_.identifier.value_or(""));
  return attach(entry, standard.title, standard.action);
}

void ContainerMenuItem::update(Completion completion) {
  if (completion) completion(false);
}

}  // namespace atelier
