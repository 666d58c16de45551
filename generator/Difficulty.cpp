#include "Difficulty.h"

namespace pellarin {

std::optional<Difficulty> ParseDifficulty(std::u16string_view text) {
    if (text == u"难") return Difficulty::Hard;
    if (text == u"中") return Difficulty::Medium;
    if (text == u"易") return Difficulty::Easy;
    return std::nullopt;
}

std::u16string_view DifficultyText(Difficulty difficulty) {
    switch (difficulty) {
        case Difficulty::Hard: return u"难";
        case Difficulty::Medium: return u"中";
        case Difficulty::Easy: return u"易";
    }
    return u"";
}

}  // namespace pellarin
