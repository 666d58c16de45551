#pragma once

#include <optional>
#include <string_view>

namespace pellarin {

enum class Difficulty { Hard, Medium, Easy };

// The difficulty box is compared character for character, nothing trimmed:
// "中 " is not Medium. Any other text is no difficulty at all.
std::optional<Difficulty> ParseDifficulty(std::u16string_view text);

std::u16string_view DifficultyText(Difficulty difficulty);

}  // namespace pellarin
