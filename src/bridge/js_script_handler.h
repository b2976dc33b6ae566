#pragma once

#include <nlohmann/json.hpp>

#include <functional>
#include <optional>
#include <string>

namespace atelier {

// Something that evaluates script text in the page (the web view manager in
// the app, a recorder in tests). Called on the main thread.
class JSScriptHandler {
 public:
  using Completion = std::function<void(std::optional<nlohmann::json> result)>;
  virtual ~JSScriptHandler() = default;
  virtual void evaluateScript(const std::string& script, Completion completion) = 0;
};

}  // namespace atelier
