#pragma once

#include "http/http_request.h"
#include "http/http_response.h"

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace atelier {

// What goes on the wire for one response: the status, every header, and the
// body as bytes or as a slice of an open file.
struct PreparedResponse {
  unsigned status = 200;
  std::vector<std::pair<std::string, std::string>> headers;
  std::string bytes;
  std::shared_ptr<const OpenFile> file;
  uint64_t fileOffset = 0;
  uint64_t fileLength = 0;
};

// File responses answer conditional requests (304) and single byte ranges
// (206, or 416 when unsatisfiable); several ranges get the whole file.
PreparedResponse prepareResponse(const HttpRequest& request, const HttpResponse& response);

std::string httpDate(time_t time);
// "Sun, 06 Nov 1994 08:49:37 GMT"; -1 when it does not parse.
time_t parseHttpDate(const std::string& text);

}  // namespace atelier
