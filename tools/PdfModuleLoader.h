#pragma once

#include <string>

#include "print/SheetsPdfModule.h"

// Finds and loads the PDF module: beside the tool (the build tree, Windows), or in the
// program's library folder relative to it (PELLARIN_MODULE_DIR, once installed). Returns its
// entry, or nullptr with the reason in `problem`. One implementation per system.
PellarinWriteSheetsPdf LoadPdfWriter(std::string& problem);
