#include "app/web_object_registry.h"

#include "app/general_web_object.h"
#include "app/notifications_web_object.h"
#include "app/orientation_web_object.h"
#include "app/webview_web_object.h"

namespace atelier {

std::vector<std::shared_ptr<WebObject>> makeWebObjects() {
  // picture, project, file, text and update join here as they are built.
  return {std::make_shared<GeneralWebObject>(), std::make_shared<NotificationsWebObject>(),
          std::make_shared<OrientationWebObject>(), std::make_shared<WebviewWebObject>()};
}

}  // namespace atelier
