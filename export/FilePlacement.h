#pragma once

#include <string>

namespace pellarin {

// Gives the finished file `from` the name `to`, atomically and only if nothing has that name
// yet. Returns 0, or the errno of the failure: EEXIST when the name is taken, so that two
// writers racing for one name can never replace each other's document.
int MoveIntoPlaceWithoutReplacing(const std::string& from, const std::string& to);

// The reason for a failed file operation, in words a user knows.
std::string DescribeFileError(int error);

}  // namespace pellarin
