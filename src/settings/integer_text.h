#pragma once
// The strict integer conversion every numeric edit box is read with.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zorbel::settings {

// Leading spaces are skipped; then either an optional sign and decimal digits,
// or (without a sign) a hex number after "$", "x", "X", "0x" or "0X". Nothing
// may follow the digits and the value must fit a signed 32-bit integer.
std::optional<std::int32_t> parseInteger(std::string_view text);

// "'%s' is not a valid integer value" for the offending text.
std::string conversionErrorMessage(std::string_view text);

}  // namespace zorbel::settings
