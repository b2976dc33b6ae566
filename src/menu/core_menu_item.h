#pragma once

#include "bridge/js_script_handler.h"
#include "menu/menu_item_protocol.h"

#include <memory>

namespace atelier {

// An entry of the web application: the page gives its title and state.
class CoreMenuItem : public DescribedMenuItem, public std::enable_shared_from_this<CoreMenuItem> {
 public:
  // The platform entry; it owns its CoreMenuItem (the represented object).
  static std::shared_ptr<platform::MenuItem> makeItem(MenuItem descriptor, std::weak_ptr<JSScriptHandler> evaluator);

  // Asks the page for the entry's title and enabled state.
  void update(Completion completion) override;
  // The page's answer, applied; true when something changed.
  bool apply(const MenuUpdateDescriptor& answer);

 private:
  CoreMenuItem(MenuItem descriptor, std::weak_ptr<JSScriptHandler> evaluator)
      : DescribedMenuItem(std::move(descriptor)), evaluator_(std::move(evaluator)) {}

  std::weak_ptr<JSScriptHandler> evaluator_;
};

}  // namespace atelier
