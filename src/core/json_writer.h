#pragma once

#include <nlohmann/json.hpp>

#include <expected>
#include <string>

namespace atelier {

// Writes JSON text the way the page has always received it: every "/" is
// escaped as "\/", integral doubles print without a fraction, other doubles
// in their shortest exact form, non-ASCII text as UTF-8. Fragments (a bare
// string, number or boolean) are allowed. Fails on NaN, infinity and binary.
std::expected<std::string, std::string> writeJSON(const nlohmann::json& value);

}  // namespace atelier
