// The GTK menu bar and modal window on a real display (Xvfb).
#include "gtk/gtk_menu_bar.h"
#include "gtk/gtk_modal_window.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <gtk/gtk.h>

namespace atelier::test {
namespace {

using platform::MenuAction;

class RecordingResponder : public platform::MenuResponder {
 public:
  explicit RecordingResponder(MenuAction handled) : handled_(handled) {}
  bool respondsTo(MenuAction action) const override { return action == handled_; }
  void perform(MenuAction action, platform::MenuItem& sender) override { performed.emplace_back(action, &sender); }
  std::vector<std::pair<MenuAction, platform::MenuItem*>> performed;

 private:
  MenuAction handled_;
};

class CountingDelegate : public platform::MenuDelegate {
 public:
  void menuNeedsUpdate(platform::Menu& menu) override { updated.push_back(&menu); }
  std::vector<platform::Menu*> updated;
};

std::shared_ptr<platform::MenuItem> entry(const std::string& title, MenuAction action, std::string key = {},
                                          uint64_t mask = 0) {
  auto item = std::make_shared<platform::MenuItem>();
  item->setTitle(title);
  item->setAction(action);
  if (!key.empty()) item->setKeyEquivalent(std::move(key), mask);
  return item;
}

std::vector<GtkWidget*> children(GtkWidget* shell) {
  std::vector<GtkWidget*> widgets;
  GList* list = gtk_container_get_children(GTK_CONTAINER(shell));
  for (GList* node = list; node; node = node->next) widgets.push_back(GTK_WIDGET(node->data));
  g_list_free(list);
  return widgets;
}

TEST(GtkMenuBarTest, EntriesFollowTheMenuAndActionsTravelTheResponderChain) {
  RecordingResponder window(MenuAction::copy), controller(MenuAction::coreMenuAction);
  window.setNextResponder(&controller);
  CountingDelegate delegate;

  auto edit = std::make_shared<platform::Menu>("Edit");
  edit->delegate = &delegate;
  auto undo = entry("Undo", MenuAction::coreMenuAction, "Z", platform::modifier::command);
  auto copy = entry("Copy", MenuAction::copy, "c", platform::modifier::command | platform::modifier::option);
  auto hide = entry("Hide", MenuAction::hide);
  for (auto& item : {undo, platform::MenuItem::separator(), copy, hide}) edit->addItem(item);
  auto top = entry("Edit", MenuAction::none);
  top->setSubmenu(edit);
  auto bar = std::make_shared<platform::Menu>();
  bar->addItem(top);

  GtkAccelGroup* accelerators = gtk_accel_group_new();
  {
    gtk::GtkMenuBar rendered(bar, &window, accelerators);
    auto tops = children(rendered.widget());
    ASSERT_EQ(tops.size(), 1u);
    EXPECT_STREQ(gtk_menu_item_get_label(GTK_MENU_ITEM(tops[0])), "Edit");
    EXPECT_TRUE(gtk_widget_get_sensitive(tops[0])) << "a submenu opens even without an action";
    GtkWidget* shell = gtk_menu_item_get_submenu(GTK_MENU_ITEM(tops[0]));
    auto items = children(shell);
    ASSERT_EQ(items.size(), 4u);
    EXPECT_TRUE(GTK_IS_SEPARATOR_MENU_ITEM(items[1]));
    EXPECT_TRUE(gtk_widget_get_sensitive(items[0]));
    EXPECT_TRUE(gtk_widget_get_sensitive(items[2]));
    EXPECT_FALSE(gtk_widget_get_sensitive(items[3])) << "nobody handles hiding";

    // Shortcuts: command becomes Ctrl; an upper-case key implies Shift.
    EXPECT_TRUE(gtk_accel_group_query(accelerators, GDK_KEY_z,
                                      static_cast<GdkModifierType>(GDK_CONTROL_MASK | GDK_SHIFT_MASK), nullptr));
    EXPECT_TRUE(gtk_accel_group_query(accelerators, GDK_KEY_c,
                                      static_cast<GdkModifierType>(GDK_CONTROL_MASK | GDK_MOD1_MASK), nullptr));

    // The page's answers reach the widgets.
    undo->setTitle("Undo Rotate");
    undo->setAction(MenuAction::none);
    EXPECT_STREQ(gtk_menu_item_get_label(GTK_MENU_ITEM(items[0])), "Undo Rotate");
    EXPECT_FALSE(gtk_widget_get_sensitive(items[0]));
    undo->setAction(MenuAction::coreMenuAction);
    EXPECT_TRUE(gtk_widget_get_sensitive(items[0]));

    gtk_menu_item_activate(GTK_MENU_ITEM(items[0]));
    gtk_menu_item_activate(GTK_MENU_ITEM(items[2]));
    ASSERT_EQ(controller.performed.size(), 1u);
    EXPECT_EQ(controller.performed[0].second, undo.get()) << "core entries reach the controller past the window";
    ASSERT_EQ(window.performed.size(), 1u);
    EXPECT_EQ(window.performed[0].first, MenuAction::copy);

    gtk_widget_show(shell);
    EXPECT_EQ(delegate.updated, std::vector<platform::Menu*>{edit.get()}) << "asked just before it shows";
    gtk_widget_hide(shell);
  }
  EXPECT_FALSE(undo->onChange) << "no dangling link to destroyed widgets";
  g_object_unref(accelerators);
}

class ClosingDelegate : public platform::ModalWindowDelegate {
 public:
  void windowWillClose() override { ++closes; }
  void otherWindowCameToFront(bool) override {}
  int closes = 0;
};

TEST(GtkModalWindowTest, TheDelegateHearsTheCloseOnce) {
  GtkWidget* parent = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  ClosingDelegate delegate;
  {
    gtk::GtkModalWindow window(GTK_WINDOW(parent));
    window.setDelegate(&delegate);
    window.setContentSize(300, 200);
    window.show();
    window.close();
    window.close();
    window.show();
  }
  EXPECT_EQ(delegate.closes, 1);
  gtk_widget_destroy(parent);
}

}  // namespace
}  // namespace atelier::test

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  gtk_init(&argc, &argv);
  return RUN_ALL_TESTS();
}
