#pragma once

#include "platform/menu.h"

#include <gtk/gtk.h>

#include <memory>
#include <vector>

namespace atelier::gtk {

// Shows a menu as a GtkMenuBar and keeps it in step with the menu's entries.
// Chosen entries' actions go along the responder chain from the first
// responder; an entry is sensitive when some responder handles its action.
class GtkMenuBar {
 public:
  GtkMenuBar(std::shared_ptr<platform::Menu> menu, platform::MenuResponder* firstResponder,
             GtkAccelGroup* accelerators);
  ~GtkMenuBar();
  GtkMenuBar(const GtkMenuBar&) = delete;
  GtkMenuBar& operator=(const GtkMenuBar&) = delete;

  GtkWidget* widget() const { return bar_; }

 private:
  struct Entry;
  void fill(GtkWidget* shell, const std::shared_ptr<platform::Menu>& menu);
  // The entry's widget; entry is set for entries that are not separators.
  GtkWidget* render(const std::shared_ptr<platform::MenuItem>& item, Entry*& entry);
  void refresh(Entry& entry);
  bool sensitive(const platform::MenuItem& item) const;

  std::shared_ptr<platform::Menu> menu_;
  platform::MenuResponder* firstResponder_;
  GtkAccelGroup* accelerators_;
  GtkWidget* bar_ = nullptr;
  std::vector<std::unique_ptr<Entry>> entries_;
  std::vector<std::shared_ptr<platform::Menu>> menus_;
};

}  // namespace atelier::gtk
