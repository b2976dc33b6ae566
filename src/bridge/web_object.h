#pragma once

#include "bridge/web_request.h"

#include <functional>
#include <string>
#include <unordered_map>

namespace atelier {

// A named set of functions the page may call. A function returns normally
// or throws; the dispatcher answers a throw with code 12.
class WebObject {
 public:
  using Handler = std::function<void(WebRequest)>;
  using FunctionTable = std::unordered_map<std::string, Handler>;

  explicit WebObject(std::string name) : name_(std::move(name)) {}
  virtual ~WebObject() = default;
  WebObject(const WebObject&) = delete;
  WebObject& operator=(const WebObject&) = delete;

  const std::string& name() const { return name_; }
  const FunctionTable& functionTable() const { return functionTable_; }

 protected:
  void addFunction(std::string functionName, Handler handler) {
    functionTable_.emplace(std::move(functionName), std::move(handler));
  }

 private:
  std::string name_;
  FunctionTable functionTable_;
};

}  // namespace atelier
