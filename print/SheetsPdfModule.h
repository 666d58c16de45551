#pragma once

#include <cstddef>

// The PDF writer as a module that pellarin-sheets loads only when it is asked for a PDF, so
// that a text or .docx run never loads Qt's graphics libraries. A plain C entry, so that the
// tool needs none of Qt's headers to call it.
//
// Writes the sheets of `text` (UTF-16, `length` units) to `path` (see SheetsPdf.h), never
// replacing a file. Returns 0, or 1 with the reason in `reason` (UTF-8, cut to `reasonSize`).
extern "C" {
using PellarinWriteSheetsPdf = int (*)(const char* path, const char16_t* text, std::size_t length, int answers,
                                       char* reason, std::size_t reasonSize);
}

#define PELLARIN_PDF_ENTRY "pellarin_write_sheets_pdf"
