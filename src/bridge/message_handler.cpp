#include "bridge/message_handler.h"

#include "bridge/dealloc_block_container.h"
#include "core/fatal.h"
#include "core/logging.h"
#include "core/main_queue.h"

#include <array>

namespace atelier {
namespace {

constexpr const char* kSource = "Webview Communication/MessageHandler";
constexpr const char* kFunction = "userContentController(_:didReceive:)";

std::optional<std::string> stringMember(const nlohmann::json& body, const char* key) {
  auto found = body.find(key);
  if (found == body.end() || !found->is_string()) return std::nullopt;
  return found->get<std::string>();
}

// Ids come from the page's wrapper and never need it, but a stray quote or
// line break must not break the statement (or the batch it travels in).
std::string quotedId(const std::string& callbackId) {
  std::string quoted = "\"";
  for (char c : callbackId) {
    switch (c) {
      case '"': quoted += "\\\""; break;
      case '\\': quoted += "\\\\"; break;
      case '\n': quoted += "\\n"; break;
      case '\r': quoted += "\\r"; break;
      default: quoted += c;
    }
  }
  return quoted + "\"";
}

std::string callbackStatement(const std::string& callbackId, const std::optional<std::string>& payload) {
  std::string statement = "__bridge.callBackWithID(" + quotedId(callbackId);
  if (payload) {
    statement += ", ";
    statement += *payload;
  }
  statement += ")";
  return statement;
}

}  // namespace

void ScriptTarget::setWebview(std::weak_ptr<JSScriptHandler> webview) {
  std::lock_guard lock(mutex_);
  webview_ = std::move(webview);
}

void ScriptTarget::evaluate(const std::string& statement) {
  std::shared_ptr<JSScriptHandler> webview;
  {
    std::lock_guard lock(mutex_);
    webview = webview_.lock();
  }
  if (webview) webview->evaluateScript(statement, nullptr);
}

MessageHandler::MessageHandler(std::vector<std::shared_ptr<WebObject>> webobjects) {
  for (auto& object : webobjects) {
    auto name = object->name();
    if (!webobjects_.emplace(name, std::move(object)).second) {
      fatalError("Duplicate web object name: " + name);
    }
    order_.push_back(name);
  }
}

void MessageHandler::setWebview(std::weak_ptr<JSScriptHandler> webview) { target_->setWebview(std::move(webview)); }

std::shared_ptr<WebObject> MessageHandler::webObject(const std::string& name) const {
  auto found = webobjects_.find(name);
  return found == webobjects_.end() ? nullptr : found->second;
}

std::vector<std::string> MessageHandler::webObjectNames() const { return order_; }

WebRequest MessageHandler::makeRequest(const nlohmann::json& body) const {
  WebRequest request;
  request.data = stringMember(body, "parameters");
  request.successCallbackId = stringMember(body, "success");
  request.failureCallbackId = stringMember(body, "failure");
  request.extraCallbackId = stringMember(body, "extraCallback");

  // One guard per id: when the last copy of the request goes, the page drops the id.
  std::vector<std::shared_ptr<DeallocBlockContainer>> guards;
  for (const auto* id : {&request.successCallbackId, &request.failureCallbackId, &request.extraCallbackId}) {
    if (!*id) continue;
    guards.push_back(std::make_shared<DeallocBlockContainer>([target = target_, callbackId = **id] {
      auto statement = "__bridge.removeCallBackWithID(" + quotedId(callbackId) + ")";
      MainQueue::post([target, statement] { target->evaluate(statement); });
    }));
  }

  request.callbackHandler = [target = target_, guards = std::move(guards)](const std::string& callbackId,
                                                                          std::optional<std::string> payload) {
    // The task holds the guards, so removals always come after this callback.
    MainQueue::post([target, guards, statement = callbackStatement(callbackId, payload)] {
      target->evaluate(statement);
    });
  };
  return request;
}

void MessageHandler::userContentController(const nlohmann::json& body) {
  auto name = body.is_object() ? stringMember(body, "name") : std::nullopt;
  if (!name) {
    logError(kSource, kFunction, "Invalid input format for message: " + body.dump());
    return;
  }
  auto dot = name->find('.');
  if (dot == std::string::npos || name->find('.', dot + 1) != std::string::npos) {
    logError(kSource, kFunction, "Invalid number of components in call " + *name);
    return;
  }

  WebRequest request = makeRequest(body);

  auto object = webObject(name->substr(0, dot));
  if (!object) {
    logError(kSource, kFunction, "WebObject not found for name: " + *name);
    return;
  }
  const auto& table = object->functionTable();
  auto function = table.find(name->substr(dot + 1));
  if (function == table.end()) {
    logError(kSource, kFunction, "Function not found for name " + *name);
    return;
  }

  std::string failure;
  try {
    function->second(request);
    return;
  } catch (const std::exception& error) {
    failure = error.what();
  } catch (...) {
    failure = "unknown error";
  }
  request.reject(GeneralError::inputInvalid);
  logError(kSource, kFunction, "Error when calling webobject " + *name + ": " + failure);
}

}  // namespace atelier
