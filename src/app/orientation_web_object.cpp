#include "app/orientation_web_object.h"

#include "core/logging.h"

namespace atelier {
namespace {
constexpr const char* kManagerSource = "Orientation/OrientationManager-OSX";
}

OrientationWebObject::OrientationWebObject() : WebObject("orientation") {
  addFunction("lock", [](WebRequest request) {
    request.decodeParameters<std::string>();  // the mask must be readable
    logError(kManagerSource, "lock(maskString:success:error:)", "Not implemented for OS X");
    request.reject(GeneralError::defaultError);
  });
  addFunction("unlock", [](WebRequest) {});
  addFunction("type", [](WebRequest request) {
    logError(kManagerSource, "type(success:error:)", "Not implemented for OS X");
    logError("Webview Communication/Web Objects/OrientationWebObject", "type(_:)",
             "Error getting orientation type: " + std::string(describe(GeneralError::defaultError)));
    request.reject(GeneralError::defaultError);
  });
}

}  // namespace atelier
