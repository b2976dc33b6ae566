#include "app/notification_names.h"
#include "core/notification_center.h"
#include "core/resources.h"
#include "menu/container_menu_item.h"
#include "menu/core_menu_item.h"
#include "menu/menu_controller.h"
#include "support/fake_platform.h"
#include "support/test_environment.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <map>

namespace atelier::test {
namespace {

namespace fs = std::filesystem;
using platform::MenuAction;
using ::testing::ElementsAre;

// A page whose menu answers are set per statement; unanswered statements get nothing.
class ScriptedPage : public JSScriptHandler {
 public:
  void evaluateScript(const std::string& script, Completion completion) override {
    statements.push_back(script);
    auto answer = answers.find(script);
    if (completion) completion(answer == answers.end() ? std::nullopt : answer->second);
  }
  std::vector<std::string> statements;
  std::map<std::string, std::optional<nlohmann::json>> answers;
};

std::string properties(const std::string& id) { return "ovl.osx.menu.itemProperties(\"" + id + "\")"; }

class MenuTest : public ::testing::Test {
 protected:
  MenuTest() : resources(freshDirectory("menu-resources")) {
    fs::copy(ATELIER_TEST_RESOURCES_DIR "/Info.json", resources / "Info.json");
    fs::copy(ATELIER_TEST_RESOURCES_DIR "/Localizable.json", resources / "Localizable.json");
    fs::create_directories(resources / "sync");
    Resources::setDirectory(resources);
  }
  ~MenuTest() override { Resources::setDirectory(ATELIER_TEST_RESOURCES_DIR); }

  void write(const fs::path& relative, const std::string& text) { std::ofstream(resources / relative) << text; }
  std::unique_ptr<MenuController> controller() {
    return std::make_unique<MenuController>(page, application);
  }
  static const platform::MenuItem& at(const platform::Menu& menu, size_t index) { return *menu.items().at(index); }

  fs::path resources;
  std::shared_ptr<ScriptedPage> page = std::make_shared<ScriptedPage>();
  std::shared_ptr<FakeApplication> application = std::make_shared<FakeApplication>();
};

TEST_F(MenuTest, BuildsTheDescribedMenuOnceThePageHasInitialized) {
  write("menu.json", R"([
    {"type": "container", "identifier": "application", "submenu": [
      {"type": "container", "identifier": "application.about"},
      {"type": "separator", "identifier": "line", "submenu": [{"type": "core", "identifier": "lost"}]},
      {"type": "container", "identifier": "application.quit", "keyEquivalent": "q", "keyModifier": ["TzrCommandKeyMask"]}
    ]},
    {"type": "core", "identifier": "file", "submenu": [
      {"type": "core", "identifier": "save", "keyEquivalent": "s", "keyModifier": ["TzrCommandKeyMask", "TzrShiftKeyMask"]},
      {"type": "core", "identifier": "secret"},
      {"type": "core", "identifier": "shown", "keyModifier": ["TzrControlKeyMask"]},
      {"type": "core"},
      {"type": "container", "identifier": "no.such.entry", "keyEquivalent": "k",
       "keyModifier": ["TzrAlternateKeyMask", "TzrControlKeyMask"]}
    ]},
    {"type": "container", "identifier": "edit", "submenu": []}
  ])");
  write("sync/hiddenMenu.json", R"({"secret": true, "shown": false})");
  auto menus = controller();
  EXPECT_FALSE(menus->menuCreated());
  EXPECT_TRUE(application->mainMenus.empty()) << "nothing before the page is ready";

  NotificationCenter::defaultCenter().post(notifications::kWebViewDidCompleteInitialization);
  NotificationCenter::defaultCenter().post(notifications::kWebViewDidCompleteInitialization);
  ASSERT_EQ(application->mainMenus.size(), 1u) << "built once";
  EXPECT_TRUE(menus->menuCreated());
  const platform::Menu& bar = *application->mainMenus[0];
  ASSERT_EQ(bar.items().size(), 3u);

  const auto& app = at(bar, 0);
  EXPECT_EQ(app.title(), "Atelier");
  EXPECT_EQ(app.action(), MenuAction::none);
  ASSERT_TRUE(app.submenu());
  EXPECT_EQ(app.submenu()->title(), "Atelier");
  EXPECT_EQ(app.submenu()->delegate, menus.get());
  ASSERT_EQ(app.submenu()->items().size(), 3u);
  EXPECT_EQ(at(*app.submenu(), 0).title(), "About Atelier");
  EXPECT_EQ(at(*app.submenu(), 0).action(), MenuAction::orderFrontStandardAboutPanel);
  EXPECT_TRUE(at(*app.submenu(), 1).isSeparator());
  EXPECT_FALSE(at(*app.submenu(), 1).submenu()) << "a separator takes nothing else from its entry";
  EXPECT_EQ(at(*app.submenu(), 2).title(), "Quit Atelier");
  EXPECT_EQ(at(*app.submenu(), 2).keyEquivalent(), "q");
  EXPECT_EQ(at(*app.submenu(), 2).keyEquivalentModifierMask(), 0x100000u);

  const auto& file = *at(bar, 1).submenu();
  ASSERT_EQ(file.items().size(), 4u) << "the hidden entry is left out";
  EXPECT_EQ(at(file, 0).title(), "save");
  EXPECT_EQ(at(file, 0).action(), MenuAction::coreMenuAction);
  EXPECT_EQ(at(file, 0).keyEquivalentModifierMask(), 0x100000u | 0x20000u);
  EXPECT_EQ(at(file, 1).title(), "shown");
  EXPECT_EQ(at(file, 1).keyEquivalent(), "") << "modifiers alone make no shortcut";
  EXPECT_EQ(at(file, 1).keyEquivalentModifierMask(), 0u);
  EXPECT_EQ(at(file, 2).title(), "") << "a core entry without identifier";
  EXPECT_EQ(at(file, 3).title(), "");
  EXPECT_EQ(at(file, 3).action(), MenuAction::none);
  EXPECT_EQ(at(file, 3).keyEquivalentModifierMask(), 0x80000u | 0x40000u);

  const auto& edit = at(bar, 2);
  EXPECT_EQ(edit.title(), "Edit");
  ASSERT_TRUE(edit.submenu()) << "an empty list still makes a submenu";
  EXPECT_TRUE(edit.submenu()->items().empty());

  // Every core entry with an identifier asked the page as it was built.
  EXPECT_THAT(page->statements, ElementsAre(properties("file"), properties("save"), properties("shown")));
}

TEST_F(MenuTest, ThePageAnswersSetTitlesAndEnabledState) {
  write("menu.json", R"([{"type": "core", "identifier": "edit", "submenu": [
    {"type": "core", "identifier": "undo"}, {"type": "container", "identifier": "edit.copy"}]}])");
  auto menus = controller();
  menus->createMenu();
  auto& edit = *application->mainMenus.at(0)->items().at(0);
  auto& undo = *edit.submenu()->items().at(0);
  auto entry = std::dynamic_pointer_cast<CoreMenuItem>(undo.representedObject);
  ASSERT_TRUE(entry);

  struct Case {
    const char* note;
    std::optional<nlohmann::json> answer;
    bool changed;
    MenuAction action;
    const char* title;
    bool logged = false;
  };
  const Case cases[] = {
      {"disabled: the action goes", nlohmann::json(R"({"enabled": false})"), true, MenuAction::none, "undo"},
      {"same state again: no change", nlohmann::json(R"({"enabled": false})"), false, MenuAction::none, "undo"},
      {"a title alone keeps the state", nlohmann::json(R"({"title": "Undo Rotate"})"), true, MenuAction::none,
       "Undo Rotate"},
      {"enabled again", nlohmann::json(R"({"enabled": true, "title": "Undo Rotate"})"), true,
       MenuAction::coreMenuAction, "Undo Rotate"},
      {"not a string", nlohmann::json({{"enabled", false}}), false, MenuAction::coreMenuAction, "Undo Rotate"},
      {"no answer", std::nullopt, false, MenuAction::coreMenuAction, "Undo Rotate"},
      {"not JSON", nlohmann::json("{enabled"), false, MenuAction::coreMenuAction, "Undo Rotate", true},
      {"wrong member type", nlohmann::json(R"({"enabled": "no"})"), false, MenuAction::coreMenuAction, "Undo Rotate",
       true},
      {"not an object", nlohmann::json(R"("Undo")"), false, MenuAction::coreMenuAction, "Undo Rotate", true},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.note);
    page->answers[properties("undo")] = test.answer;
    LogCapture log;
    std::optional<bool> changed;
    entry->update([&](bool didChange) { changed = didChange; });
    EXPECT_EQ(changed, test.changed);
    EXPECT_EQ(undo.action(), test.action);
    EXPECT_EQ(undo.title(), test.title);
    bool logged = !log.texts().empty() && log.texts().back().starts_with("Error updating menu item: ");
    EXPECT_EQ(logged, test.logged);
  }

  // A title reaches the entry's submenu too.
  auto editEntry = std::dynamic_pointer_cast<CoreMenuItem>(edit.representedObject);
  page->answers[properties("edit")] = nlohmann::json(R"({"title": "Bearbeiten"})");
  editEntry->update(nullptr);
  EXPECT_EQ(edit.title(), "Bearbeiten");
  EXPECT_EQ(edit.submenu()->title(), "Bearbeiten");
}

TEST_F(MenuTest, ChoosingAndOpeningTalkToThePageWhileItExists) {
  write("menu.json", R"([{"type": "container", "identifier": "edit", "submenu": [
    {"type": "core", "identifier": "undo"}, {"type": "container", "identifier": "edit.copy"}, {"type": "separator"}]}])");
  FakeWindow window;
  auto menus = controller();
  window.setNextResponder(menus.get());
  menus->createMenu();
  auto submenu = application->mainMenus.at(0)->items().at(0)->submenu();
  auto& undo = *submenu->items().at(0);
  page->statements.clear();

  // A core entry's action travels past the window to the controller.
  auto* target = window.target(undo.action());
  ASSERT_EQ(target, menus.get());
  target->perform(undo.action(), undo);
  EXPECT_EQ(window.target(MenuAction::terminate), &window);
  EXPECT_EQ(window.target(MenuAction::hide), nullptr) << "nobody hides applications: the entry stays disabled";

  int revalidations = 0;
  submenu->onUpdate = [&] { ++revalidations; };
  menus->menuNeedsUpdate(*submenu);
  EXPECT_THAT(page->statements, ElementsAre("ovl.osx.menu.action(\"undo\")", properties("undo")));
  EXPECT_EQ(revalidations, 2) << "the menu revalidates after each entry's refresh";

  page.reset();
  menus->menuNeedsUpdate(*submenu);
  menus->coreMenuAction(undo);
  EXPECT_EQ(revalidations, 3) << "a gone page drops core refreshes; containers still answer";
}

TEST_F(MenuTest, BrokenFiles) {
  write("menu.json", R"([{"type": "core", "identifier": "x"}])");
  {
    write("sync/hiddenMenu.json", R"({"x": "yes"})");
    LogCapture log;
    auto menus = controller();
    EXPECT_TRUE(menus->hiddenDict().empty());
    ASSERT_FALSE(log.texts().empty());
    EXPECT_THAT(log.texts().back(), ::testing::StartsWith("Error loading hidden menu items: "));
  }
  fs::remove(resources / "sync/hiddenMenu.json");
  EXPECT_TRUE(controller()->hiddenDict().empty()) << "no file: nothing hidden, nothing logged";

  GTEST_FLAG_SET(death_test_style, "threadsafe");
  for (const char* broken : {R"([{"type": "submenu"}])", R"([{"type": "core", "keyModifier": ["TzrHyperKeyMask"]}])",
                             R"({"type": "core"})", "[{"}) {
    write("menu.json", broken);
    EXPECT_DEATH(controller()->createMenu(), "Error loading menu: ") << broken;
  }
}

}  // namespace
}  // namespace atelier::test
