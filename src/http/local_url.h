#pragma once

#include <nlohmann/json.hpp>

#include <cstdint>
#include <expected>
#include <filesystem>
#include <string>

namespace atelier {

// A local file handed to the page. It travels as its address on the loopback
// server's "_file" prefix: every "file:///" of the URL becomes that base.
struct LocalURL {
  std::string url;  // absolute URL text, normally file:///...

  static LocalURL fromPath(const std::filesystem::path& path);
  std::string encoded() const;
  // The local path of a file URL; empty for other URLs.
  std::filesystem::path path() const;

  // File facts sent along with renditions and text images.
  std::string checksum() const;  // MD5 of the bytes, Base64; "" when unreadable
  struct PixelSize {
    int64_t width = 0;
    int64_t height = 0;
  };
  PixelSize pixelSize() const;  // from the image header; 0 x 0 when unreadable
  int64_t byteSize() const;     // 0 (and a "FileAttribute error: " line) when unreadable

  bool operator==(const LocalURL&) const = default;
};

void to_json(nlohmann::json& json, const LocalURL& url);
// The bridge payload: the encoded address as a JSON string.
std::expected<std::string, std::string> toPayload(const LocalURL& url);

}  // namespace atelier
