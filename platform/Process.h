#pragma once

#include <string>

// Which program holds a thing: a practice session being answered is claimed in the records by
// the process answering it, so that a second copy of the program neither offers it nor writes
// into it. A claim names the machine, the process id and when that process started, so that a
// later process given the same id is not taken for the one that made the claim. One
// implementation per system.
namespace pellarin {

// This process's claim: "machine<TAB>pid<TAB>start". A holder may add "<TAB>" and a field of
// its own, which ClaimIsAlive() passes over.
std::string ProcessClaim();

// Whether the process that made `claim` is still running. A claim made on another machine (a
// records file on a shared drive) cannot be checked from here and counts as running.
bool ClaimIsAlive(const std::string& claim);

}  // namespace pellarin
