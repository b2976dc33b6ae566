#include "http/local_url.h"

#include "core/hashing.h"
#include "core/json_writer.h"
#include "core/logging.h"
#include "http/proxy_address.h"

#include <glib.h>
#include <sys/stat.h>
#include <vips/vips.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <mutex>

namespace atelier {
namespace {

void ensureVips() {
  static std::once_flag once;
  std::call_once(once, [] { VIPS_INIT("atelier"); });
}

}  // namespace

LocalURL LocalURL::fromPath(const std::filesystem::path& path) {
  auto absolute = std::filesystem::absolute(path);
  gchar* uri = g_filename_to_uri(absolute.c_str(), nullptr, nullptr);
  LocalURL url{uri ? uri : ""};
  g_free(uri);
  return url;
}

std::string LocalURL::encoded() const {
  static constexpr std::string_view kFileScheme = "file:///";
  std::string text;
  auto base = ProxyAddress::fileBase();
  size_t start = 0;
  for (auto found = url.find(kFileScheme); found != std::string::npos; found = url.find(kFileScheme, start)) {
    text.append(url, start, found - start);
    text += base;
    start = found + kFileScheme.size();
  }
  text.append(url, start);
  return text;
}

std::filesystem::path LocalURL::path() const {
  gchar* filename = g_filename_from_uri(url.c_str(), nullptr, nullptr);
  if (!filename) return {};
  std::filesystem::path result(filename);
  g_free(filename);
  return result;
}

std::string LocalURL::checksum() const {
  std::ifstream stream(path(), std::ios::binary);
  if (!stream) return "";
  GChecksum* md5 = g_checksum_new(G_CHECKSUM_MD5);
  char block[16384];
  while (stream.read(block, sizeof block) || stream.gcount() > 0) {
    g_checksum_update(md5, reinterpret_cast<const guchar*>(block), static_cast<gssize>(stream.gcount()));
  }
  guint8 digest[16];
  gsize length = sizeof digest;
  g_checksum_get_digest(md5, digest, &length);
  g_checksum_free(md5);
  return base64Encode(std::string_view(reinterpret_cast<const char*>(digest), length));
}

LocalURL::PixelSize LocalURL::pixelSize() const {
  ensureVips();
  auto file = path();
  if (file.empty()) return {};
  // Only the header is read; nothing is decoded or cached.
  VipsImage* image = vips_image_new_from_file(file.c_str(), "access", VIPS_ACCESS_SEQUENTIAL, nullptr);
  if (!image) {
    vips_error_clear();
    return {};
  }
  PixelSize size{vips_image_get_width(image), vips_image_get_height(image)};
  g_object_unref(image);
  return size;
}

int64_t LocalURL::byteSize() const {
  struct stat info {};
  if (::stat(path().c_str(), &info) != 0) {
    std::string message = std::string("FileAttribute error: ") + std::strerror(errno);
    std::printf("%s\n", message.c_str());
    std::fflush(stdout);
    logError("Webview Communication/LocalURL", "byteSize", message);
    return 0;
  }
  return static_cast<int64_t>(info.st_size);
}

void to_json(nlohmann::json& json, const LocalURL& url) { json = url.encoded(); }

std::expected<std::string, std::string> toPayload(const LocalURL& url) { return writeJSON(url.encoded()); }

}  // namespace atelier
