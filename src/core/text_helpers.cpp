#include "core/text_helpers.h"

#include <gio/gio.h>

#include <algorithm>
#include <cctype>
#include <string>

namespace atelier {

std::string uuidString() {
  gchar* raw = g_uuid_string_random();
  std::string text(raw);
  g_free(raw);
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
  return text;
}

std::string mimeTypeForPath(std::string_view path) {
  const std::string fallback = "application/octet-stream";
  std::string name(path);
  gboolean uncertain = FALSE;
  gchar* contentType = g_content_type_guess(name.c_str(), nullptr, 0, &uncertain);
  if (!contentType) return fallback;
  gchar* mime = g_content_type_get_mime_type(contentType);
  g_free(contentType);
  if (!mime) return fallback;
  std::string result(mime);
  g_free(mime);
  return result.empty() ? fallback : result;
}

}  // namespace atelier
