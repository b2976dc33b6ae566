#include "serving/ajax_proxy.h"

#include "core/app_info.h"
#include "core/logging.h"
#include "http/proxy_address.h"
#include "http/url.h"
#include "serving/cookie_rewrite.h"

#include <strings.h>

#include <ctime>

namespace atelier {
namespace {

constexpr const char* kSource = "Webview Communication/Web Proxy/AjaxProxy";

bool sameName(const std::string& a, const char* b) { return ::strcasecmp(a.c_str(), b) == 0; }

// Hop-by-hop and framing headers of the target describe its connection, not
// ours: the local server frames the body anew.
bool dropped(const std::string& name) {
  for (const char* header : {"Content-Encoding", "Content-Length", "Transfer-Encoding", "Connection", "Keep-Alive"}) {
    if (sameName(name, header)) return true;
  }
  return false;
}

}  // namespace

std::shared_ptr<AjaxProxy> AjaxProxy::create(RequestProxy& proxy, HttpClient& client,
                                             std::shared_ptr<CustomURLHandler> customHandler) {
  std::shared_ptr<AjaxProxy> ajax(new AjaxProxy(client, std::move(customHandler)));
  proxy.registerRoute(ProxyAddress::kAjaxPrefix,
                      [weak = std::weak_ptr(ajax)](std::shared_ptr<HttpRequest> request, std::string, HeaderTable,
                                                   std::shared_ptr<ResponseHandler> responseHandler) {
                        if (auto self = weak.lock()) {
                          self->handle(*request, responseHandler);
                        } else {
                          responseHandler->complete(HttpResponse::text("Not Found", 404));
                        }
                      });
  return ajax;
}

void AjaxProxy::handle(const HttpRequest& request, const std::shared_ptr<ResponseHandler>& responseHandler) {
  // The target: everything after "__tzr_proxy/" in the request URL, over https.
  const std::string marker = std::string(ProxyAddress::kAjaxPrefix) + "/";
  auto split = request.target.find(marker);
  std::optional<URL> target;
  std::string targetText;
  if (split != std::string::npos) {
    targetText = "https://" + request.target.substr(split + marker.size());
    target = URL::parse(targetText);
  }
  if (!target) return responseHandler->complete(HttpResponse::text("Missing Original URL", 404));

  if (customHandler_->handles(target->host)) {
    return customHandler_->handle(targetText, target->host, request.method, request.body, responseHandler);
  }

  HttpClientRequest outgoing;
  outgoing.method = request.method;
  outgoing.url = targetText;
  outgoing.body = request.body;
  outgoing.timeoutSeconds = 60;
  const auto& agent = AppInfo::userAgent();
  bool hasAgent = false;
  for (const auto& [name, value] : request.headers) {
    if (sameName(name, "__tzr_proxy") || sameName(name, "Content-Length") || sameName(name, "Host")) continue;
    if (sameName(name, "User-Agent")) {
      hasAgent = true;
      outgoing.headers.emplace_back(name, value.ends_with(agent) ? value : value + " " + agent);
      continue;
    }
    outgoing.headers.emplace_back(name, value);
  }
  if (!hasAgent) outgoing.headers.emplace_back("User-Agent", " " + agent);

  client_.perform(std::move(outgoing), [responseHandler](auto result) { respond(std::move(result), responseHandler); });
}

void AjaxProxy::respond(std::expected<HttpClientResponse, std::string> result,
                        const std::shared_ptr<ResponseHandler>& responseHandler) {
  if (!result) {
    logError(kSource, "respond(with:handler:)", "Invlaid headers");
    // The page still gets an answer: the target could not be reached or read.
    return responseHandler->complete(HttpResponse::text("Bad Gateway: " + result.error(), 502));
  }
  std::vector<std::string> setCookies;
  for (const auto& [name, value] : result->headers) {
    if (dropped(name)) continue;
    if (sameName(name, "Set-Cookie")) {
      setCookies.push_back(value);
      continue;
    }
    // One value per name: a later field replaces an earlier one.
    std::erase_if(responseHandler->addedHeaders, [&](const auto& entry) { return sameName(entry.first, name.c_str()); });
    responseHandler->addHeader(name, value);
  }
  for (const auto& cookie : parseSetCookies(setCookies, std::time(nullptr))) {
    responseHandler->addHeader("Set-Cookie", localCookieLine(cookie));
  }
  auto response = result->body.empty() ? HttpResponse::text("", static_cast<unsigned>(result->statusCode))
                                        : HttpResponse::data(std::move(result->body), result->mimeType);
  response.setStatusCode(static_cast<unsigned>(result->statusCode));
  responseHandler->complete(std::move(response));
}

}  // namespace atelier
