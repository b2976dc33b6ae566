#pragma once

#include "bridge/web_object.h"

namespace atelier {

// "orientation": screen orientation exists on other devices only; here every
// question is answered as not available.
class OrientationWebObject : public WebObject {
 public:
  OrientationWebObject();
};

}  // namespace atelier
