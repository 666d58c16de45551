#pragma once

#include <QString>

// The sheets' pages as a PDF file (see SheetPages.h), written under a hidden temporary name
// beside `path` and then given that name, so that a write that fails or is cut off never
// leaves a partial file there. With `replace` false an existing file is never replaced, even
// one that appears meanwhile (pellarin::DocumentExists); with it true, the user has agreed to
// replace it. Throws pellarin::DocumentError with the reason, in words a user knows.
namespace sheets_pdf {

// Returns the number of pages.
int Write(const QString& path, const QString& text, bool answers, bool replace);

}  // namespace sheets_pdf
