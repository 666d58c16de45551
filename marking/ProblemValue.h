#pragma once

#include <optional>
#include <string_view>

namespace marking {

// The result a child writes for a problem as printed ("52－18＋21=", "37+8="), worked left to
// right; nothing where there is no result to write in a box of three digits: a cell edited
// into something that is not a problem, or whose result is below 0 or above 999.
std::optional<int> WritableResult(std::string_view problem);

}  // namespace marking
