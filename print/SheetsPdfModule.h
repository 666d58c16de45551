#pragma once

#include <cstddef>

// The PDF writer as a module that pellarin-sheets loads only when it is asked for a PDF, so
// that a text or .docx run never loads Qt's graphics libraries. A plain C entry, so that the
// tool needs none of Qt's headers to call it.
//
// Writes the sheets of `text` (UTF-16, `length` units) to `path` (see SheetsPdf.h), never
// replacing a file. `answers`: 0 none, 1 a full page per sheet, 2 the compact key. `names`: the
// bytes of a class list file (see ClassList.h), or null; `className`: UTF-8, or null. Returns
// 0, or 1 with the reason in `reason` (UTF-8, cut to `reasonSize`), or kPdfListRefused when
// the reason is about the class list rather than the PDF; `note` gets what the user should
// know of a PDF that was written (names without a sheet, an empty list), or stays empty.
// `cleanUp`: the caller's list of private files (pellarin::ThisProgramsCleanUpList()), so
// that the caller's interrupt handler removes the PDF's private file too; or null.
extern "C" {
struct PellarinPdfRequest {
    const char* path;
    const char16_t* text;
    std::size_t length;
    int answers;
    const char* names;
    std::size_t namesSize;
    const char* className;
    char* reason;
    std::size_t reasonSize;
    char* note;
    std::size_t noteSize;
    void* cleanUp;
    int plain;  // 1: the sheets as the box's text, without what a scan is marked by
};
using PellarinWriteSheetsPdf = int (*)(const PellarinPdfRequest* request);
}

inline constexpr int kPdfListRefused = 2;

// The names of a class list file's bytes (see ClassList.h), in UTF-8, a line each, written to
// `names` (cut to `namesSize`). Returns 0, or 1 with why the list was refused in `reason`.
// pellarin-sheets reads the list this way for sheets of each child's own, without Qt of its own.
extern "C" {
using PellarinReadClassList = int (*)(const char* bytes, std::size_t size, char* names, std::size_t namesSize,
                                      char* reason, std::size_t reasonSize);
}
#define PELLARIN_CLASS_LIST_ENTRY "pellarin_read_class_list"

#define PELLARIN_PDF_ENTRY "pellarin_write_sheets_pdf"
