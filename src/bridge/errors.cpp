#include "bridge/errors.h"

#include <array>
#include <utility>

namespace atelier {
namespace {

constexpr std::array<std::pair<GeneralError, const char*>, 20> kGeneralErrors{{
    {GeneralError::noError, "noError"},
    {GeneralError::defaultError, "defaultError"},
    {GeneralError::unknown, "unknown"},
    {GeneralError::inputMissing, "inputMissing"},
    {GeneralError::inputInvalid, "inputInvalid"},
    {GeneralError::versionMismatch, "versionMismatch"},
    {GeneralError::fileNotFound, "fileNotFound"},
    {GeneralError::fileExists, "fileExists"},
    {GeneralError::io, "io"},
    {GeneralError::pictureNotExists, "pictureNotExists"},
    {GeneralError::pictureAuthorizationNotDetermined, "pictureAuthorizationNotDetermined"},
    {GeneralError::pictureAuthorizationRestricted, "pictureAuthorizationRestricted"},
    {GeneralError::pictureAuthorizationDenied, "pictureAuthorizationDenied"},
    {GeneralError::pictureChanged, "pictureChanged"},
    {GeneralError::pictureScalingFailed, "pictureScalingFailed"},
    {GeneralError::pictureAlreadyReserved, "pictureAlreadyReserved"},
    {GeneralError::pictureReservationError, "pictureReservationError"},
    {GeneralError::httpConnectionFailure, "httpConnectionFailure"},
    {GeneralError::httpCancelled, "httpCancelled"},
    {GeneralError::httpStatusError, "httpStatusError"},
}};

}  // namespace

std::optional<GeneralError> generalErrorFromCode(int64_t code) {
  for (auto [error, name] : kGeneralErrors) {
    if (static_cast<int64_t>(error) == code) return error;
  }
  return std::nullopt;
}

std::string_view describe(GeneralError error) {
  for (auto [candidate, name] : kGeneralErrors) {
    if (candidate == error) return name;
  }
  return "unknown";
}

std::string_view describe(WebCommError error) {
  return error == WebCommError::parametersMissing ? "parametersMissing" : "noCallbackRegistered";
}

void to_json(nlohmann::json& json, GeneralError error) { json = static_cast<int64_t>(error); }

void from_json(const nlohmann::json& json, GeneralError& error) {
  auto known = generalErrorFromCode(json.get<int64_t>());
  if (!known) throw nlohmann::json::type_error::create(302, "not a GeneralError code: " + json.dump(), &json);
  error = *known;
}

}  // namespace atelier
