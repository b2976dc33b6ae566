#include "serving/cookie_rewrite.h"

#include "http/response_preparation.h"

#include <curl/curl.h>
#include <strings.h>

#include <cstdio>
#include <cstring>
#include <string_view>

namespace atelier {
namespace {

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

bool named(std::string_view attribute, const char* name) {
  return attribute.size() == std::strlen(name) && ::strncasecmp(attribute.data(), name, attribute.size()) == 0;
}

}  // namespace

std::vector<TargetCookie> parseSetCookies(const std::vector<std::string>& values, time_t now) {
  std::vector<TargetCookie> cookies;
  for (const auto& header : values) {
    std::string_view rest = header;
    auto semicolon = rest.find(';');
    auto pair = trimmed(rest.substr(0, semicolon));
    auto equals = pair.find('=');
    if (equals == std::string_view::npos || trimmed(pair.substr(0, equals)).empty()) continue;
    TargetCookie cookie{std::string(trimmed(pair.substr(0, equals))), std::string(trimmed(pair.substr(equals + 1)))};
    std::optional<time_t> maxAge;
    while (semicolon != std::string_view::npos) {
      rest.remove_prefix(semicolon + 1);
      semicolon = rest.find(';');
      auto attribute = trimmed(rest.substr(0, semicolon));
      auto attributeEquals = attribute.find('=');
      auto name = trimmed(attribute.substr(0, attributeEquals));
      auto value = attributeEquals == std::string_view::npos ? std::string_view() : trimmed(attribute.substr(attributeEquals + 1));
      if (named(name, "HttpOnly")) {
        cookie.httpOnly = true;
      } else if (named(name, "Expires")) {
        std::string date(value);
        if (time_t parsed = curl_getdate(date.c_str(), nullptr); parsed != -1) cookie.expires = parsed;
      } else if (named(name, "Max-Age")) {
        char* end = nullptr;
        std::string digits(value);
        long long seconds = std::strtoll(digits.c_str(), &end, 10);
        if (!digits.empty() && end && *end == '\0') maxAge = seconds <= 0 ? time_t{0} : now + static_cast<time_t>(seconds);
      }
    }
    if (maxAge) cookie.expires = maxAge;
    cookies.push_back(std::move(cookie));
  }
  return cookies;
}

std::string cookieDate(time_t time) {
  // The HTTP date with the zone written as "UTC".
  auto text = httpDate(time);
  return text.substr(0, text.size() - 3) + "UTC";
}

std::string localCookieLine(const TargetCookie& cookie) {
  std::string line = cookie.name + "=" + cookie.value + "; Path=/";
  if (cookie.httpOnly) line += "; HttpOnly";
  if (cookie.expires) line += "; Expires=" + cookieDate(*cookie.expires);
  return line;
}

}  // namespace atelier
