#include "bridge/errors.h"

#include "core/enum_names.h"

namespace atelier {
namespace {

constexpr EnumNames<GeneralError, 20> kGeneralErrors{{{
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
}}};

}  // namespace

std::optional<GeneralError> generalErrorFromCode(int64_t code) { return kGeneralErrors.fromCode(code); }

std::string_view describe(GeneralError error) { return kGeneralErrors.name(error, "unknown"); }

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
