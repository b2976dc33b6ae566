#include "gtk/gtk_menu_bar.h"

namespace atelier::gtk {
namespace {

// The key equivalent as a GDK key and modifiers. The command key becomes
// Ctrl, as Linux applications use it; an upper-case letter implies Shift.
std::pair<guint, GdkModifierType> accelerator(const std::string& key, uint64_t mask) {
  if (key.empty() || !g_utf8_validate(key.c_str(), static_cast<gssize>(key.size()), nullptr)) return {0, {}};
  gunichar character = g_utf8_get_char(key.c_str());
  int modifiers = 0;
  if (mask & (platform::modifier::command | platform::modifier::control)) modifiers |= GDK_CONTROL_MASK;
  if (mask & platform::modifier::option) modifiers |= GDK_MOD1_MASK;
  if ((mask & platform::modifier::shift) || g_unichar_isupper(character)) modifiers |= GDK_SHIFT_MASK;
  guint keyval = 0;
  switch (character) {
    case '\r': keyval = GDK_KEY_Return; break;
    case '\t': keyval = GDK_KEY_Tab; break;
    case 0x1b: keyval = GDK_KEY_Escape; break;
    case 0x08: keyval = GDK_KEY_BackSpace; break;
    case 0x7f: keyval = GDK_KEY_Delete; break;
    default: keyval = gdk_keyval_to_lower(gdk_unicode_to_keyval(character));
  }
  return {keyval, static_cast<GdkModifierType>(modifiers)};
}

}  // namespace

struct GtkMenuBar::Entry {
  GtkMenuBar* owner;
  std::shared_ptr<platform::MenuItem> item;
  GtkWidget* widget;
};

GtkMenuBar::GtkMenuBar(std::shared_ptr<platform::Menu> menu, platform::MenuResponder* firstResponder,
                       GtkAccelGroup* accelerators)
    : menu_(std::move(menu)), firstResponder_(firstResponder), accelerators_(accelerators) {
  bar_ = gtk_menu_bar_new();
  g_object_ref_sink(bar_);
  fill(bar_, menu_);
}

GtkMenuBar::~GtkMenuBar() {
  for (auto& entry : entries_) {
    entry->item->onChange = nullptr;
    g_signal_handlers_disconnect_by_data(entry->widget, entry.get());
  }
  for (auto& menu : menus_) menu->onUpdate = nullptr;
  gtk_widget_destroy(bar_);
  g_object_unref(bar_);
}

void GtkMenuBar::fill(GtkWidget* shell, const std::shared_ptr<platform::Menu>& menu) {
  menus_.push_back(menu);
  std::vector<Entry*> own;
  for (const auto& item : menu->items()) {
    Entry* entry = nullptr;
    gtk_menu_shell_append(GTK_MENU_SHELL(shell), render(item, entry));
    if (entry) own.push_back(entry);
  }
  // Revalidating a menu refreshes its own entries.
  menu->onUpdate = [this, own] {
    for (Entry* entry : own) refresh(*entry);
  };
}

GtkWidget* GtkMenuBar::render(const std::shared_ptr<platform::MenuItem>& item, Entry*& entry) {
  if (item->isSeparator()) return gtk_separator_menu_item_new();
  GtkWidget* widget = gtk_menu_item_new_with_label(item->title().c_str());
  entries_.push_back(std::make_unique<Entry>(Entry{this, item, widget}));
  entry = entries_.back().get();

  auto [keyval, modifiers] = accelerator(item->keyEquivalent(), item->keyEquivalentModifierMask());
  if (keyval) gtk_widget_add_accelerator(widget, "activate", accelerators_, keyval, modifiers, GTK_ACCEL_VISIBLE);

  if (const auto& submenu = item->submenu()) {
    GtkWidget* shell = gtk_menu_new();
    gtk_menu_item_set_submenu(GTK_MENU_ITEM(widget), shell);
    // Just before the submenu shows, its entries are refreshed.
    g_signal_connect(shell, "show", G_CALLBACK(+[](GtkWidget*, Entry* self) {
                       const auto& shown = self->item->submenu();
                       if (shown && shown->delegate) shown->delegate->menuNeedsUpdate(*shown);
                     }),
                     entry);
    fill(shell, submenu);
  } else {
    g_signal_connect(widget, "activate", G_CALLBACK(+[](GtkMenuItem*, Entry* self) {
                       auto action = self->item->action();
                       if (action == platform::MenuAction::none) return;
                       if (auto* target = self->owner->firstResponder_->target(action)) target->perform(action, *self->item);
                     }),
                     entry);
  }
  item->onChange = [this, changed = entry] { refresh(*changed); };
  refresh(*entry);
  return widget;
}

void GtkMenuBar::refresh(Entry& entry) {
  const gchar* shown = gtk_menu_item_get_label(GTK_MENU_ITEM(entry.widget));
  if (!shown || entry.item->title() != shown) {
    gtk_menu_item_set_label(GTK_MENU_ITEM(entry.widget), entry.item->title().c_str());
  }
  gtk_widget_set_sensitive(entry.widget, sensitive(*entry.item));
}

bool GtkMenuBar::sensitive(const platform::MenuItem& item) const {
  if (item.submenu()) return true;
  return item.action() != platform::MenuAction::none && firstResponder_->target(item.action());
}

}  // namespace atelier::gtk
