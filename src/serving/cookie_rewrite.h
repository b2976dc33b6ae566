#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <vector>

namespace atelier {

// A cookie as a target service set it (what the local origin keeps of it).
struct TargetCookie {
  std::string name;
  std::string value;
  bool httpOnly = false;
  std::optional<time_t> expires;  // Max-Age wins over Expires
};

// One cookie per Set-Cookie value; values without "name=" are skipped.
std::vector<TargetCookie> parseSetCookies(const std::vector<std::string>& values, time_t now);
// "NAME=VALUE; Path=/[; HttpOnly][; Expires=Thu, 01 Jan 1970 00:00:00 UTC]"
std::string localCookieLine(const TargetCookie& cookie);
// "EEE, dd MMM yyyy HH:mm:ss 'UTC'" in English, in UTC.
std::string cookieDate(time_t time);

}  // namespace atelier
