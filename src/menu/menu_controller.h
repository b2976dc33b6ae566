#pragma once

#include "bridge/js_script_handler.h"
#include "core/notification_center.h"
#include "menu/menu_item.h"
#include "platform/main_window.h"
#include "platform/menu.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace atelier {

// Builds the menu bar from "menu.json" once the page has initialized, tells
// the page which of its entries was chosen and refreshes entries before a
// submenu opens. Lives on the main thread for the whole run.
class MenuController : public platform::MenuResponder, public platform::MenuDelegate {
 public:
  // Loads the hidden entries and waits for the page's initialization.
  MenuController(std::weak_ptr<JSScriptHandler> evaluator, std::shared_ptr<platform::Application> application);
  ~MenuController() override;
  MenuController(const MenuController&) = delete;
  MenuController& operator=(const MenuController&) = delete;

  // Builds and installs the menu, once.
  void createMenu();
  void coreMenuAction(platform::MenuItem& sender);
  void menuNeedsUpdate(platform::Menu& menu) override;

  bool respondsTo(platform::MenuAction action) const override;
  void perform(platform::MenuAction action, platform::MenuItem& sender) override;

  bool menuCreated() const { return menuCreated_; }
  const std::map<std::string, bool>& hiddenDict() const { return hiddenDict_; }
  // Loaded from "menu.json" on first use; a broken file stops the process.
  const std::vector<MenuItem>& menuDescription();

 private:
  void fill(platform::Menu& menu, const std::vector<MenuItem>& entries);

  std::weak_ptr<JSScriptHandler> webscriptEvaluator_;
  bool menuCreated_ = false;
  std::map<std::string, bool> hiddenDict_;
  std::optional<std::vector<MenuItem>> menuDescription_;
  std::shared_ptr<platform::Application> application_;
  std::vector<std::weak_ptr<platform::Menu>> submenus_;
  NotificationCenter::Token initializationObserver_ = 0;
};

}  // namespace atelier
