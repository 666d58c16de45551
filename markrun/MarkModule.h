#pragma once

#include <cstddef>

// Marking scans as a module that pellarin-sheets loads only for --mark, as it loads the PDF
// writer only for --pdf: a plain C entry, so that the tool needs none of Qt's headers.
//
// Marks every page of `files` (UTF-8 names), writes the CSV to `csv` and, where `marked` is
// set, the marked pages to that PDF; neither replaces a file. Says what it did and what went
// wrong on standard error. Returns the tool's exit status: 0 every page read, 3 some page was
// no readable sheet, 1 a file could not be read at all or an output could not be written.
// `record`: each named sheet is also saved in the practice records at `records` (UTF-8), or
// the user's own where null; a sheet marked before is replaced, never counted twice.
// `cleanUp`: the caller's list of private files (pellarin::ThisProgramsCleanUpList()), or null.
extern "C" {
struct PellarinMarkRequest {
    const char* const* files;
    std::size_t fileCount;
    const char* csv;
    const char* marked;
    int record;
    const char* records;
    void* cleanUp;
};
using PellarinMarkScans = int (*)(const PellarinMarkRequest* request);
}

#define PELLARIN_MARK_ENTRY "pellarin_mark_scans"
