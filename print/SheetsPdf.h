#pragma once

#include <QString>
#include <string>

#include "SheetPages.h"

// The sheets' pages as a PDF file (see SheetPages.h), written under a private name beside
// `path` and then given that name, so that a write that fails or is cut off never leaves a
// partial file there. With `replace` false an existing file is never replaced, even one that
// appears meanwhile (pellarin::DocumentExists); with it true, the user has agreed to replace
// it. `path` is the name as the system has it (see platform/NativePath.h). Throws
// pellarin::DocumentError with the reason, in words a user knows.
namespace sheets_pdf {

// Returns the number of pages.
int Write(const std::string& path, const QString& text, const sheet_pages::Options& options, bool replace);

// What the user would be told of the names were the sheets drawn now (see Options::said):
// the pages are laid out as for a PDF and thrown away.
QStringList NamesNotes(const QString& text, const sheet_pages::Options& options);

}  // namespace sheets_pdf
