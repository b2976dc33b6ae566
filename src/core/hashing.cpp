#include "core/hashing.h"

#include <glib.h>

#include <array>
#include <memory>

namespace atelier {
namespace {

using Checksum = std::unique_ptr<GChecksum, decltype(&g_checksum_free)>;

Checksum md5Of(std::string_view bytes) {
  Checksum checksum(g_checksum_new(G_CHECKSUM_MD5), &g_checksum_free);
  g_checksum_update(checksum.get(), reinterpret_cast<const guchar*>(bytes.data()), static_cast<gssize>(bytes.size()));
  return checksum;
}

}  // namespace

std::string hashedKey(std::string_view text) { return g_checksum_get_string(md5Of(text).get()); }

std::string md5Base64(std::string_view bytes) {
  auto checksum = md5Of(bytes);
  std::array<guint8, 16> digest{};
  gsize length = digest.size();
  g_checksum_get_digest(checksum.get(), digest.data(), &length);
  return base64Encode(std::string_view(reinterpret_cast<const char*>(digest.data()), length));
}

std::string base64Encode(std::string_view bytes) {
  gchar* encoded = g_base64_encode(reinterpret_cast<const guchar*>(bytes.data()), bytes.size());
  std::string result(encoded);
  g_free(encoded);
  return result;
}

}  // namespace atelier
