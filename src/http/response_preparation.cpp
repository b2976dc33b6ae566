#include "http/response_preparation.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <optional>

namespace atelier {
namespace {

constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

struct ByteRange {
  uint64_t first;
  uint64_t length;
};

enum class RangeResult { none, satisfiable, unsatisfiable };

std::optional<uint64_t> parseNumber(std::string_view text) {
  uint64_t value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

// One "bytes=a-b", "bytes=a-" or "bytes=-n" range; anything else is ignored.
RangeResult parseRange(const std::string& header, uint64_t size, ByteRange& range) {
  std::string_view text = header;
  if (!text.starts_with("bytes=")) return RangeResult::none;
  text.remove_prefix(6);
  if (text.find(',') != std::string_view::npos) return RangeResult::none;
  auto dash = text.find('-');
  if (dash == std::string_view::npos) return RangeResult::none;
  auto firstText = text.substr(0, dash);
  auto lastText = text.substr(dash + 1);
  if (firstText.empty()) {
    auto suffix = parseNumber(lastText);
    if (!suffix) return RangeResult::none;
    if (*suffix == 0 || size == 0) return RangeResult::unsatisfiable;
    auto length = std::min(*suffix, size);
    range = {size - length, length};
    return RangeResult::satisfiable;
  }
  auto first = parseNumber(firstText);
  if (!first) return RangeResult::none;
  uint64_t last = size == 0 ? 0 : size - 1;
  if (!lastText.empty()) {
    auto parsed = parseNumber(lastText);
    if (!parsed || *parsed < *first) return RangeResult::none;
    last = std::min(*parsed, last);
  }
  if (*first >= size) return RangeResult::unsatisfiable;
  range = {*first, last - *first + 1};
  return RangeResult::satisfiable;
}

bool notModified(const HttpRequest& request, const OpenFile& file) {
  if (auto match = request.header("If-None-Match")) {
    return *match == "*" || match->find(file.etag()) != std::string::npos;
  }
  if (auto since = request.header("If-Modified-Since")) {
    time_t time = parseHttpDate(*since);
    return time >= 0 && file.modified.tv_sec <= time;
  }
  return false;
}

}  // namespace

std::string httpDate(time_t time) {
  struct tm parts {};
  gmtime_r(&time, &parts);
  char text[40];
  std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d GMT", kDays[parts.tm_wday], parts.tm_mday,
                kMonths[parts.tm_mon], parts.tm_year + 1900, parts.tm_hour, parts.tm_min, parts.tm_sec);
  return text;
}

time_t parseHttpDate(const std::string& text) {
  char day[4] = {}, month[4] = {};
  struct tm parts {};
  if (std::sscanf(text.c_str(), "%3s, %d %3s %d %d:%d:%d GMT", day, &parts.tm_mday, month, &parts.tm_year,
                  &parts.tm_hour, &parts.tm_min, &parts.tm_sec) != 7) {
    return -1;
  }
  parts.tm_mon = -1;
  for (int i = 0; i < 12; ++i) {
    if (std::strcmp(month, kMonths[i]) == 0) parts.tm_mon = i;
  }
  if (parts.tm_mon < 0) return -1;
  parts.tm_year -= 1900;
  return timegm(&parts);
}

PreparedResponse prepareResponse(const HttpRequest& request, const HttpResponse& response) {
  PreparedResponse prepared;
  prepared.status = response.statusCode();
  // A Content-Type among the added headers takes the place of the response's own.
  if (!response.contentType().empty() && !response.header("Content-Type")) {
    prepared.headers.emplace_back("Content-Type", response.contentType());
  }
  if (auto age = response.cacheMaxAge()) {
    prepared.headers.emplace_back("Cache-Control", *age == 0 ? "no-cache" : "max-age=" + std::to_string(*age));
  }
  for (const auto& header : response.headers()) prepared.headers.push_back(header);

  const auto& file = response.openFile();
  if (!file) {
    prepared.bytes = response.bytes();
    return prepared;
  }
  prepared.file = file;
  prepared.fileLength = file->size;
  if (prepared.status != 200) return prepared;

  prepared.headers.emplace_back("ETag", file->etag());
  prepared.headers.emplace_back("Last-Modified", httpDate(file->modified.tv_sec));
  prepared.headers.emplace_back("Accept-Ranges", "bytes");
  if (notModified(request, *file)) {
    prepared.status = 304;
    prepared.file.reset();
    prepared.fileLength = 0;
    return prepared;
  }
  if (auto rangeHeader = request.header("Range")) {
    ByteRange range{};
    switch (parseRange(*rangeHeader, file->size, range)) {
      case RangeResult::satisfiable:
        prepared.status = 206;
        prepared.fileOffset = range.first;
        prepared.fileLength = range.length;
        prepared.headers.emplace_back("Content-Range", "bytes " + std::to_string(range.first) + "-" +
                                                           std::to_string(range.first + range.length - 1) + "/" +
                                                           std::to_string(file->size));
        break;
      case RangeResult::unsatisfiable:
        prepared.status = 416;
        prepared.file.reset();
        prepared.fileLength = 0;
        prepared.headers.emplace_back("Content-Range", "bytes */" + std::to_string(file->size));
        break;
      case RangeResult::none:
        break;
    }
  }
  return prepared;
}

}  // namespace atelier
