#pragma once

#include "bridge/errors.h"
#include "bridge/parameter_decoding.h"
#include "bridge/payload.h"

#include <nlohmann/json.hpp>

#include <functional>
#include <optional>
#include <string>

namespace atelier {

// One call from the page, handed by value to a web-object function. Copies
// share the callback handler; the page's callback ids stay registered until
// the last copy is gone, so keeping a copy is how a function keeps answering.
// Every sending operation is safe from any thread and never throws.
class WebRequest {
 public:
  using CallbackHandler = std::function<void(const std::string& callbackId, std::optional<std::string> payload)>;

  std::optional<std::string> data;  // the UTF-8 bytes of "parameters"
  std::optional<std::string> successCallbackId;
  std::optional<std::string> failureCallbackId;
  std::optional<std::string> extraCallbackId;
  CallbackHandler callbackHandler;

  // Throws WebCommException(parametersMissing) without data, or the JSON
  // decoder's error for structures.
  template <class T>
  T decodeParameters() const {
    if (!data) throw WebCommException(WebCommError::parametersMissing);
    if constexpr (std::same_as<T, std::string>) {
      return decodeStringParameter(*data);
    } else if constexpr (std::same_as<T, int64_t>) {
      return decodeIntegerParameter(*data);
    } else if constexpr (std::same_as<T, double>) {
      return decodeDoubleParameter(*data);
    } else if constexpr (CustomDecodable<T>) {
      return T::fromParameterBytes(*data);
    } else {
      return nlohmann::json::parse(*data).template get<T>();
    }
  }

  void fulfill() const { send(successCallbackId, "fulfill()", std::nullopt); }
  template <class T>
  void fulfill(const T& value) const {
    send(successCallbackId, "fulfill(_:)", toPayload(value));
  }
  template <class E>
  void reject(const E& error) const {
    send(failureCallbackId, "reject(_:)", toPayload(error));
  }
  void handleAdditional() const { send(extraCallbackId, "handleAdditional()", std::nullopt); }
  template <class T>
  void handleAdditional(const T& value) const {
    send(extraCallbackId, "handleAdditional(_:)", toPayload(value));
  }

 private:
  void send(const std::optional<std::string>& callbackId, const char* operation,
            std::optional<PayloadResult> payload) const;
};

}  // namespace atelier
