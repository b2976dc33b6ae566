#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace atelier::platform {

// What choosing an entry sends along the responder chain.
enum class MenuAction {
  none,
  orderFrontStandardAboutPanel,
  hide,
  hideOtherApplications,
  unhideAllApplications,
  terminate,
  cut,
  copy,
  paste,
  selectAll,
  miniaturizeAll,
  coreMenuAction,
};

// Modifier flags of a key equivalent (the values the menu description uses).
namespace modifier {
inline constexpr uint64_t shift = 0x20000;
inline constexpr uint64_t control = 0x40000;
inline constexpr uint64_t option = 0x80000;
inline constexpr uint64_t command = 0x100000;
}  // namespace modifier

// The application object behind an entry (what the entry represents).
class RepresentedObject {
 public:
  virtual ~RepresentedObject() = default;
};

class Menu;

// One entry of a menu. Changes reach the desktop's menu through onChange.
class MenuItem {
 public:
  static std::shared_ptr<MenuItem> separator() {
    auto item = std::make_shared<MenuItem>();
    item->isSeparator_ = true;
    return item;
  }

  const std::string& title() const { return title_; }
  void setTitle(std::string title) { title_ = std::move(title); changed(); }
  // An entry without an action cannot be chosen.
  MenuAction action() const { return action_; }
  void setAction(MenuAction action) { action_ = action; changed(); }
  const std::string& keyEquivalent() const { return keyEquivalent_; }
  uint64_t keyEquivalentModifierMask() const { return modifierMask_; }
  void setKeyEquivalent(std::string key, uint64_t mask) { keyEquivalent_ = std::move(key); modifierMask_ = mask; changed(); }
  bool isSeparator() const { return isSeparator_; }
  const std::shared_ptr<Menu>& submenu() const { return submenu_; }
  void setSubmenu(std::shared_ptr<Menu> submenu) { submenu_ = std::move(submenu); changed(); }

  std::shared_ptr<RepresentedObject> representedObject;
  std::function<void()> onChange;

 private:
  void changed() { if (onChange) onChange(); }

  std::string title_;
  MenuAction action_ = MenuAction::none;
  std::string keyEquivalent_;
  uint64_t modifierMask_ = 0;
  bool isSeparator_ = false;
  std::shared_ptr<Menu> submenu_;
};

class MenuDelegate {
 public:
  virtual ~MenuDelegate() = default;
  // Just before the menu is shown.
  virtual void menuNeedsUpdate(Menu& menu) = 0;
};

class Menu {
 public:
  explicit Menu(std::string title = {}) : title_(std::move(title)) {}

  const std::string& title() const { return title_; }
  void setTitle(std::string title) { title_ = std::move(title); }
  const std::vector<std::shared_ptr<MenuItem>>& items() const { return items_; }
  void addItem(std::shared_ptr<MenuItem> item) { items_.push_back(std::move(item)); }
  // Revalidates the entries (enabled state follows the responder chain).
  void update() { if (onUpdate) onUpdate(); }

  // Not owned; the delegate outlives the menus it is given.
  MenuDelegate* delegate = nullptr;
  std::function<void()> onUpdate;

 private:
  std::string title_;
  std::vector<std::shared_ptr<MenuItem>> items_;
};

// A link of the chain a chosen entry's action travels until one handles it.
class MenuResponder {
 public:
  virtual ~MenuResponder() = default;
  // True when this responder handles the action (the entry can be chosen).
  virtual bool respondsTo(MenuAction action) const = 0;
  virtual void perform(MenuAction action, MenuItem& sender) = 0;

  MenuResponder* nextResponder() const { return next_; }
  void setNextResponder(MenuResponder* next) { next_ = next; }

  // The first responder from here on that handles the action, or null.
  MenuResponder* target(MenuAction action) {
    for (MenuResponder* responder = this; responder; responder = responder->next_) {
      if (responder->respondsTo(action)) return responder;
    }
    return nullptr;
  }

 private:
  MenuResponder* next_ = nullptr;
};

}  // namespace atelier::platform
