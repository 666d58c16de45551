#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "generator/GivenProblems.h"

// A sheet for each child of a class list, each bringing back that child's own missed facts:
// the facts still on the child's list in the practice records (missed on screen or on paper,
// not yet answered right on three days), most often missed first. The records are only read,
// never written. A child not in them, or records that cannot be read, get a plain sheet; the
// notes say so, and how many facts each child got.
namespace adapt {

struct ChildSheets {
    pellarin::AdaptedRun run;        // sheet i is names[i]'s
    std::vector<std::string> notes;  // for the user, in Chinese (UTF-8), a line each
};

ChildSheets Make(pellarin::RandomSource& source, const std::vector<std::string>& names, const std::string& recordsPath,
                 std::int16_t limit, std::u16string_view difficulty, int perSheet);

}  // namespace adapt
