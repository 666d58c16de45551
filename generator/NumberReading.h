#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace pellarin {

// The value of a settings box: the leading decimal number of its text. Blanks anywhere are
// ignored; an optional sign, digits, a fraction and an exponent are read, and reading stops
// at the first character that cannot continue the number. A text without a leading number
// reads as 0. A number beyond the range of a double reads as an infinity of its sign, one
// too small to represent as 0. Never throws, whatever the text.
double ReadLeadingNumber(std::u16string_view text);

// Rounds to the nearest integer, halves to the even neighbour, and reports a value outside
// the 16-bit range (infinities and NaN included) as nothing instead of overflowing.
std::optional<std::int16_t> ToInt16HalfEven(double value);

}  // namespace pellarin
