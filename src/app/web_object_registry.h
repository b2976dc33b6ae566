#pragma once

#include "bridge/web_object.h"

#include <memory>
#include <vector>

namespace atelier {

// The web objects the page can call, in registry order.
std::vector<std::shared_ptr<WebObject>> makeWebObjects();

}  // namespace atelier
