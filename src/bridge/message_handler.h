#pragma once

#include "bridge/js_script_handler.h"
#include "bridge/web_object.h"

#include <nlohmann/json.hpp>

#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace atelier {

// Where answers are evaluated: a weak link to the web view, shared with every
// pending request so that late answers never keep the web view alive.
class ScriptTarget {
 public:
  void setWebview(std::weak_ptr<JSScriptHandler> webview);
  // On the main thread; dropped when the web view is gone.
  void evaluate(const std::string& statement);

 private:
  std::mutex mutex_;
  std::weak_ptr<JSScriptHandler> webview_;
};

// Splits each message posted to "allMessages" into web object and function,
// builds the WebRequest and calls the function on the main thread.
class MessageHandler {
 public:
  // A duplicate web-object name stops the process.
  explicit MessageHandler(std::vector<std::shared_ptr<WebObject>> webobjects);

  void setWebview(std::weak_ptr<JSScriptHandler> webview);
  // The posted message body, as JSON.
  void userContentController(const nlohmann::json& body);

  std::shared_ptr<WebObject> webObject(const std::string& name) const;
  std::vector<std::string> webObjectNames() const;

 private:
  WebRequest makeRequest(const nlohmann::json& body) const;

  std::vector<std::string> order_;
  std::unordered_map<std::string, std::shared_ptr<WebObject>> webobjects_;
  std::shared_ptr<ScriptTarget> target_ = std::make_shared<ScriptTarget>();
};

}  // namespace atelier
