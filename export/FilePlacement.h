#pragma once

#include <string>

namespace pellarin {

// Gives the finished file `from` the name `to`, atomically and only if nothing has that name
// yet. Returns 0, or the errno of the failure: EEXIST when the name is taken, so that two
// writers racing for one name can never replace each other's document.
int MoveIntoPlaceWithoutReplacing(const std::string& from, const std::string& to);

// The same where the user has agreed to replace what has the name: the old file stays whole
// until the new one takes its place.
int MoveIntoPlaceReplacing(const std::string& from, const std::string& to);

// Gives a file written under a private temporary name the permissions a new file of the
// user's gets (read and write as the umask allows), before it takes its final name.
void GiveUsualPermissions(const std::string& path);

// The reason for a failed file operation, in words a user knows.
std::string DescribeFileError(int error);

}  // namespace pellarin
