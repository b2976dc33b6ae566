#pragma once

#include "http/response_handler.h"

#include <map>
#include <memory>
#include <optional>
#include <string>

namespace atelier {

// A native object answering proxied requests for one reserved host.
class CustomURLWebObject {
 public:
  virtual ~CustomURLWebObject() = default;
  // Completes the handler exactly once.
  virtual void handleRequest(const std::string& targetURL, const std::string& method,
                             const std::optional<std::string>& body,
                             const std::shared_ptr<ResponseHandler>& responseHandler) = 0;
};

// Host name → the object answering it; such requests never leave the machine.
class CustomURLHandler {
 public:
  std::map<std::string, std::shared_ptr<CustomURLWebObject>> handlers;

  bool handles(const std::string& host) const { return handlers.contains(host); }
  // Hosts without an entry are answered 404 (the ajax proxy only sends known ones).
  void handle(const std::string& targetURL, const std::string& host, const std::string& method,
              const std::optional<std::string>& body, const std::shared_ptr<ResponseHandler>& responseHandler) const;
};

}  // namespace atelier
