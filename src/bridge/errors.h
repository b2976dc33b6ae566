#pragma once

#include <nlohmann/json.hpp>

#include <cstdint>
#include <exception>
#include <optional>
#include <string_view>

namespace atelier {

// Error codes the page receives as bare numbers; they must never change.
enum class GeneralError : int64_t {
  noError = 0,
  defaultError = 1,
  unknown = 5,
  inputMissing = 10,
  inputInvalid = 12,
  versionMismatch = 20,
  fileNotFound = 100,
  fileExists = 101,
  io = 110,
  pictureNotExists = 200,
  pictureAuthorizationNotDetermined = 201,
  pictureAuthorizationRestricted = 202,
  pictureAuthorizationDenied = 203,
  pictureChanged = 210,
  pictureScalingFailed = 220,
  pictureAlreadyReserved = 230,
  pictureReservationError = 231,
  httpConnectionFailure = 300,
  httpCancelled = 301,
  httpStatusError = 305,
};

std::optional<GeneralError> generalErrorFromCode(int64_t code);
std::string_view describe(GeneralError error);

enum class WebCommError {
  parametersMissing,
  noCallbackRegistered,
};

std::string_view describe(WebCommError error);

// Thrown by web-object functions (the dispatcher answers such failures with
// 12) and by parameter decoding; what() is the case name.
template <class E>
class ErrorException : public std::exception {
 public:
  explicit ErrorException(E error) : error_(error) {}
  E error() const { return error_; }
  const char* what() const noexcept override { return describe(error_).data(); }

 private:
  E error_;
};
using GeneralErrorException = ErrorException<GeneralError>;
using WebCommException = ErrorException<WebCommError>;

// GeneralError travels as its raw value.
void to_json(nlohmann::json& json, GeneralError error);
void from_json(const nlohmann::json& json, GeneralError& error);

}  // namespace atelier
