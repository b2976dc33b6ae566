#pragma once

#include <string>
#include <string_view>

namespace atelier {

// A fresh random UUID, upper case ("0F8FAD5B-D9CB-469F-A165-70867728950E").
std::string uuidString();
// The preferred MIME type for the path's extension, else "application/octet-stream".
std::string mimeTypeForPath(std::string_view path);

}  // namespace atelier
