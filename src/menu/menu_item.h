#pragma once

#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace atelier {

enum class MenuItemType { container, core, separator };
enum class ModifierKey { shift, alternate, command, control };

// One entry of the menu description ("menu.json").
struct MenuItem {
  MenuItemType type = MenuItemType::separator;
  std::optional<std::string> identifier;
  std::optional<std::string> keyEquivalent;
  std::optional<std::vector<ModifierKey>> keyModifier;
  std::optional<std::vector<MenuItem>> submenu;

  // The OR of the listed keys' flags; 0 without any.
  uint64_t modifierMask() const;
};

// The page's answer for a core entry.
struct MenuUpdateDescriptor {
  std::optional<std::string> title;
  std::optional<bool> enabled;
};

uint64_t modifierFlag(ModifierKey key);

// Strict: an unknown type or modifier value, or a member of the wrong type, throws.
void from_json(const nlohmann::json& json, MenuItemType& type);
void from_json(const nlohmann::json& json, ModifierKey& key);
void from_json(const nlohmann::json& json, MenuItem& item);
void from_json(const nlohmann::json& json, MenuUpdateDescriptor& descriptor);

}  // namespace atelier
