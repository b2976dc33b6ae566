#include "app/web_object_registry.h"

#include "app/orientation_web_object.h"

namespace atelier {

std::vector<std::shared_ptr<WebObject>> makeWebObjects() {
  // general, picture, project, file, text, webview, notifications and update
  // join here as they are built.
  return {std::make_shared<OrientationWebObject>()};
}

}  // namespace atelier
