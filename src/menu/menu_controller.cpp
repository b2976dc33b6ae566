#include "menu/menu_controller.h"

#include "app/notification_names.h"
#include "core/fatal.h"
#include "core/file_io.h"
#include "core/logging.h"
#include "core/resources.h"
#include "menu/container_menu_item.h"
#include "menu/core_menu_item.h"
#include "menu/menu_item_protocol.h"

namespace atelier {
namespace {

std::map<std::string, bool> loadHiddenEntries() {
  auto file = Resources::urlForResource("hiddenMenu", "json", "sync");
  if (!file) return {};
  try {
    auto text = readFileContents(*file);
    if (!text) throw std::runtime_error("cannot read " + file->string());
    return nlohmann::json::parse(*text).get<std::map<std::string, bool>>();
  } catch (const std::exception& error) {
    logError("User Interface/Menu/MenuController", "init(evaluator:)",
             std::string("Error loading hidden menu items: ") + error.what());
    return {};
  }
}

}  // namespace

MenuController::MenuController(std::weak_ptr<JSScriptHandler> evaluator,
                               std::shared_ptr<platform::Application> application)
    : webscriptEvaluator_(std::move(evaluator)), hiddenDict_(loadHiddenEntries()), application_(std::move(application)) {
  initializationObserver_ = NotificationCenter::defaultCenter().addObserver(
      notifications::kWebViewDidCompleteInitialization, [this](const Notification&) { createMenu(); });
}

MenuController::~MenuController() {
  NotificationCenter::defaultCenter().removeObserver(initializationObserver_);
  for (auto& weak : submenus_) {
    if (auto menu = weak.lock()) menu->delegate = nullptr;
  }
}

const std::vector<MenuItem>& MenuController::menuDescription() {
  if (!menuDescription_) {
    try {
      auto file = Resources::urlForResource("menu", "json");
      if (!file) throw std::runtime_error("menu.json is missing from the resources");
      auto text = readFileContents(*file);
      if (!text) throw std::runtime_error("cannot read " + file->string());
      menuDescription_ = nlohmann::json::parse(*text).get<std::vector<MenuItem>>();
    } catch (const std::exception& error) {
      fatalError(std::string("Error loading menu: ") + error.what());
    }
  }
  return *menuDescription_;
}

void MenuController::createMenu() {
  if (menuCreated_) return;
  auto menu = std::make_shared<platform::Menu>();
  fill(*menu, menuDescription());
  if (application_) application_->setMainMenu(menu);
  menuCreated_ = true;
}

void MenuController::fill(platform::Menu& menu, const std::vector<MenuItem>& entries) {
  for (const auto& entry : entries) {
    if (entry.identifier) {
      auto hidden = hiddenDict_.find(*entry.identifier);
      if (hidden != hiddenDict_.end() && hidden->second) continue;
    }
    std::shared_ptr<platform::MenuItem> item;
    switch (entry.type) {
      case MenuItemType::separator: menu.addItem(platform::MenuItem::separator()); continue;
      case MenuItemType::core:
        item = CoreMenuItem::makeItem(entry, webscriptEvaluator_);
        std::static_pointer_cast<CoreMenuItem>(item->representedObject)->update(nullptr);
        break;
      case MenuItemType::container: item = ContainerMenuItem::makeItem(entry); break;
    }
    menu.addItem(item);
    if (entry.submenu) {
      auto submenu = std::make_shared<platform::Menu>(item->title());
      submenu->delegate = this;
      submenus_.push_back(submenu);
      item->setSubmenu(submenu);
      fill(*submenu, *entry.submenu);
    }
  }
}

void MenuController::coreMenuAction(platform::MenuItem& sender) {
  auto entry = std::dynamic_pointer_cast<CoreMenuItem>(sender.representedObject);
  if (!entry) return;
  if (auto evaluator = webscriptEvaluator_.lock()) {
    evaluator->evaluateScript("ovl.osx.menu.action(\"" + entry->descriptor().identifier.value_or("") + "\")", nullptr);
  }
}

void MenuController::menuNeedsUpdate(platform::Menu& menu) {
  std::weak_ptr<platform::Menu> weakMenu;
  for (auto& candidate : submenus_) {
    if (candidate.lock().get() == &menu) weakMenu = candidate;
  }
  for (const auto& item : menu.items()) {
    if (auto entry = std::dynamic_pointer_cast<MenuItemProtocol>(item->representedObject)) {
      entry->update([weakMenu](bool) {
        if (auto shown = weakMenu.lock()) shown->update();
      });
    }
  }
}

bool MenuController::respondsTo(platform::MenuAction action) const {
  return action == platform::MenuAction::coreMenuAction;
}

void MenuController::perform(platform::MenuAction action, platform::MenuItem& sender) {
  if (action == platform::MenuAction::coreMenuAction) coreMenuAction(sender);
}

}  // namespace atelier
