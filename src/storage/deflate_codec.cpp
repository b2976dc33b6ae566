#include "storage/deflate_codec.h"

#include <zlib.h>

namespace atelier {

std::optional<std::string> deflateData(std::string_view data, int level) {
  uLongf capacity = compressBound(static_cast<uLong>(data.size()));
  std::string out(capacity, '\0');
  if (compress2(reinterpret_cast<Bytef*>(out.data()), &capacity, reinterpret_cast<const Bytef*>(data.data()),
                static_cast<uLong>(data.size()), level) != Z_OK || capacity == 0) {
    return std::nullopt;
  }
  out.resize(capacity);
  return out;
}

std::optional<std::string> inflateData(std::string_view data) {
  z_stream stream{};
  if (inflateInit(&stream) != Z_OK) return std::nullopt;
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  stream.avail_in = static_cast<uInt>(data.size());
  std::string out;
  char buffer[65536];
  int result;
  do {
    stream.next_out = reinterpret_cast<Bytef*>(buffer);
    stream.avail_out = sizeof buffer;
    result = inflate(&stream, Z_NO_FLUSH);
    if (result != Z_OK && result != Z_STREAM_END) {
      inflateEnd(&stream);
      return std::nullopt;
    }
    out.append(buffer, sizeof buffer - stream.avail_out);
  } while (result != Z_STREAM_END && (stream.avail_in > 0 || stream.avail_out == 0));
  inflateEnd(&stream);
  if (result != Z_STREAM_END) return std::nullopt;
  return out;
}

}  // namespace atelier
