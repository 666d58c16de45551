#pragma once

#include <cstdint>
#include <string>

#include "MarkRun.h"
#include "records/PracticeRecords.h"

// A marked sheet as the practice records keep it: the command line's --record and the marking
// window save through these, so that a sheet counts the same wherever it was marked.
namespace markrun {

// A sheet's identity, the same on every scan of it: its code and the child it is recorded
// for (a sheet printed without a name is the same paper for every child it was given to).
std::string SheetKey(const marking::CodedSheet& sheet, const std::string& child);

// The answers still 待核 on a page.
int Undecided(const scan::PageMarks& marks);

// The page's session for `child`: 得分 counts the 对, and the 错 join the child's list; an
// answer still 待核 counts neither way. `elapsedMs` 0: the time is not known.
PracticeRecords::PaperSession PaperSessionOf(const scan::PageMarks& marks, const std::string& child,
                                             std::int64_t markedMs, std::int64_t elapsedMs = 0);

}  // namespace markrun
