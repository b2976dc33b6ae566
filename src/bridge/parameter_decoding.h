#pragma once

#include <concepts>
#include <cstdint>
#include <string>
#include <string_view>

namespace atelier {

// Types built straight from the raw parameter bytes rather than from JSON.
// A type of our own opts in with a static fromParameterBytes(string_view).
template <class T>
concept CustomDecodable = std::same_as<T, std::string> || std::same_as<T, int64_t> || std::same_as<T, double> ||
                          requires(std::string_view bytes) {
                            { T::fromParameterBytes(bytes) } -> std::same_as<T>;
                          };

// The page sends strings JSON-encoded: the first and last character (the
// quotes) are dropped without looking at them; escapes stay as they are.
// Invalid UTF-8 gives the empty text, as does a text shorter than two characters.
std::string decodeStringParameter(std::string_view bytes);
// Decimal with optional sign; anything else, or an overflow, gives 0.
int64_t decodeIntegerParameter(std::string_view bytes);
// A floating-point number in the C locale; anything else gives 0.
double decodeDoubleParameter(std::string_view bytes);

}  // namespace atelier
