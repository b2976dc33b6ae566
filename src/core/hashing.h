#pragma once

#include <string>
#include <string_view>

namespace atelier {

// Lowercase hexadecimal MD5 of the UTF-8 bytes (32 characters): request keys,
// retained-picture names, folder icons.
std::string hashedKey(std::string_view text);
// MD5 digest of the bytes, Base64-encoded.
std::string md5Base64(std::string_view bytes);
std::string base64Encode(std::string_view bytes);

}  // namespace atelier
