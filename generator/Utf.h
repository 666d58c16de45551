#pragma once

#include <string>
#include <string_view>

namespace pellarin {

// Conversions at the edges of the generator (command line, files). Ill-formed input becomes
// U+FFFD rather than being dropped or passed through.
std::string ToUtf8(std::u16string_view text);
std::u16string FromUtf8(std::string_view text);

}  // namespace pellarin
