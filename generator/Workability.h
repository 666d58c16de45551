#pragma once

#include <optional>
#include <string>

#include "Difficulty.h"

namespace pellarin {

// The attempt loop can only finish a position while some problem of that position's layout
// form is neither on the sheet already nor (for later sheets) still in the previous sheet's
// slots from that position on. A form of m positions therefore needs m distinct problems for
// the first sheet and m + 1 for every later one. These functions decide from the rules alone,
// before a run starts, whether the run can complete.

// Distinct problems a kind must offer so that all of its forms can always be filled.
int DistinctProblemsNeeded(bool chained, int sheetCount);

// Number of distinct problems the rules admit at this limit, counted over every possible
// draw and cut off once `enough` is reached.
int CountTwoOperandProblems(Difficulty difficulty, int limit, int enough);
int CountChainedProblems(Difficulty difficulty, int limit, int enough);

bool IsWorkable(Difficulty difficulty, int limit, int sheetCount);

// The smallest operand limit with which a run of this size can complete, if there is one.
std::optional<int> SmallestWorkableLimit(Difficulty difficulty, int sheetCount);

// The message shown when a run is refused before it starts, and when the safety net on
// attempts gives up. Both name the smallest workable limit.
std::u16string RefusalText(Difficulty difficulty, int sheetCount);
std::u16string GaveUpText(Difficulty difficulty, int sheetCount);

}  // namespace pellarin
