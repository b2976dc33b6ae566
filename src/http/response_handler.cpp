#include "http/response_handler.h"

namespace atelier {

ResponseHandler::ResponseHandler(CompletionBlock completionBlock) : completion_(std::move(completionBlock)) {}

void ResponseHandler::addHeader(const std::string& name, std::string value) {
  for (auto& [key, values] : addedHeaders) {
    if (key == name) {
      values.push_back(std::move(value));
      return;
    }
  }
  addedHeaders.push_back({name, {std::move(value)}});
}

void ResponseHandler::applyHeaders(HttpResponse& response) const {
  for (const auto& [name, values] : addedHeaders) {
    for (const auto& value : values) response.addHeader(name, value);
  }
  response.setHeader("Access-Control-Allow-Credentials", "true");
  response.setHeader("Access-Control-Allow-Origin", "http://localhost:8080");
}

void ResponseHandler::complete(std::optional<HttpResponse> response) {
  if (response) applyHeaders(*response);
  completionBlock(std::move(response));
}

void ResponseHandler::completionBlock(std::optional<HttpResponse> response) {
  if (completed_.exchange(true)) return;
  completion_(std::move(response));
}

}  // namespace atelier
