#pragma once

#include "http/http_response.h"

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace atelier {

// How a route handler answers one pending request, from any thread, once.
// Shared by copying the pointer; a later completion is ignored.
class ResponseHandler {
 public:
  using CompletionBlock = std::function<void(std::optional<HttpResponse>)>;

  explicit ResponseHandler(CompletionBlock completionBlock);

  // Header name → values, in the order added; set on every response by applyHeaders.
  std::vector<std::pair<std::string, std::vector<std::string>>> addedHeaders;
  void addHeader(const std::string& name, std::string value);

  // The added headers, then the cross-origin headers every proxied answer carries.
  void applyHeaders(HttpResponse& response) const;
  // applyHeaders (when there is a response), then the completion.
  void complete(std::optional<HttpResponse> response);
  // The raw completion, for callers that applied the headers themselves.
  void completionBlock(std::optional<HttpResponse> response);

 private:
  CompletionBlock completion_;
  std::atomic<bool> completed_{false};
};

}  // namespace atelier
