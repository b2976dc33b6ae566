#include "menu/menu_item.h"

#include "platform/menu.h"

#include <array>
#include <utility>

namespace atelier {
namespace {

constexpr std::array<std::pair<MenuItemType, const char*>, 3> kTypes{{
    {MenuItemType::container, "container"},
    {MenuItemType::core, "core"},
    {MenuItemType::separator, "separator"},
}};

constexpr std::array<std::pair<ModifierKey, const char*>, 4> kModifiers{{
    {ModifierKey::shift, "TzrShiftKeyMask"},
    {ModifierKey::alternate, "TzrAlternateKeyMask"},
    {ModifierKey::command, "TzrCommandKeyMask"},
    {ModifierKey::control, "TzrControlKeyMask"},
}};

template <class E, std::size_t N>
E caseNamed(const nlohmann::json& json, const std::array<std::pair<E, const char*>, N>& table, const char* what) {
  const auto& text = json.get_ref<const std::string&>();
  for (auto [value, name] : table) {
    if (text == name) return value;
  }
  throw nlohmann::json::type_error::create(302, std::string("unknown ") + what + " \"" + text + "\"", &json);
}

template <class T>
void optionalMember(const nlohmann::json& json, const char* key, std::optional<T>& member) {
  if (auto found = json.find(key); found != json.end() && !found->is_null()) member = found->get<T>();
}

}  // namespace

uint64_t modifierFlag(ModifierKey key) {
  switch (key) {
    case ModifierKey::shift: return platform::modifier::shift;
    case ModifierKey::alternate: return platform::modifier::option;
    case ModifierKey::command: return platform::modifier::command;
    case ModifierKey::control: return platform::modifier::control;
  }
  return 0;
}

uint64_t MenuItem::modifierMask() const {
  uint64_t mask = 0;
  for (auto key : keyModifier.value_or(std::vector<ModifierKey>{})) mask |= modifierFlag(key);
  return mask;
}

void from_json(const nlohmann::json& json, MenuItemType& type) { type = caseNamed(json, kTypes, "menu item type"); }
void from_json(const nlohmann::json& json, ModifierKey& key) { key = caseNamed(json, kModifiers, "modifier key"); }

void from_json(const nlohmann::json& json, MenuItem& item) {
  json.at("type").get_to(item.type);
  optionalMember(json, "identifier", item.identifier);
  optionalMember(json, "keyEquivalent", item.keyEquivalent);
  optionalMember(json, "keyModifier", item.keyModifier);
  optionalMember(json, "submenu", item.submenu);
}

void from_json(const nlohmann::json& json, MenuUpdateDescriptor& descriptor) {
  if (!json.is_object()) throw nlohmann::json::type_error::create(302, "expected an object", &json);
  optionalMember(json, "title", descriptor.title);
  optionalMember(json, "enabled", descriptor.enabled);
}

}  // namespace atelier
