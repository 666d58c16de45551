#pragma once

#include <string>

// Finds and loads one of the program's modules ("pellarin-pdf", "pellarin-mark"): beside the
// tool (the build tree, Windows), or in the program's library folder relative to it
// (PELLARIN_MODULE_DIR, once installed). Returns the address of its `entry`, or nullptr with
// the reason in `problem`. One implementation per system.
void* LoadModuleEntry(const std::string& module, const char* entry, std::string& problem);
