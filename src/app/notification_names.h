#pragma once

namespace atelier::notifications {

// The page finished its start-up ("webViewDidInit").
inline constexpr const char* kWebViewDidCompleteInitialization = "TzvWebViewDidCompleteInitialization";
// Posted after the page received a refreshed connection type.
inline constexpr const char* kConnectionTypeDidChange = "TzConnectionTypeDidChange";
// The installed web-application files changed (new "li" timestamp).
inline constexpr const char* kIncrementalUpdateManagerDidChange = "TzIncrementalUpdateManagerDidChangeNotification";
// Cookie consent from the page: object 1 means yes.
inline constexpr const char* kCookieConsent = "C0002";
inline constexpr const char* kPrint = "TzPrintNotification";

}  // namespace atelier::notifications
