#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "scan/ReadPage.h"

// Marking scans of sheets: the pages of PDF and picture files read, each marked on its own
// thread, and handed on in the order of the files and their pages, so that a 300-page scan is
// marked in bounded memory.
namespace markrun {

struct MarkedPage {
    std::string file;   // as given, UTF-8
    int page = 0;       // from 1; 0 where the file could not be read at all
    scan::PageMarks marks;  // marks.recognised false: marks.reason says why
    bool fileUnreadable = false;
    double readingSeconds = 0;  // taking the page's picture out of its file and decoding it
};

struct Options {
    bool keepStraight = false;  // keep each page straightened, to draw the marked page
    int threads = 0;            // 0: as many as the machine has cores
    // Set (from any thread) to stop after the pages in hand: no further page is read.
    const std::atomic<bool>* cancel = nullptr;
};

// Marks every page of `files`, calling `sink` with each page in order. Returns the number of
// pages that were no readable sheet, and sets `unreadableFiles` to the number of files that
// could not be read at all.
int MarkFiles(const std::vector<std::string>& files, const Options& options,
              const std::function<void(MarkedPage&)>& sink, int& unreadableFiles);

// The CSV of marked pages: its header, and its rows for one page.
std::string CsvHeader();
std::string CsvRows(const MarkedPage& page);

// The verdict as the CSV and the window say it.
const char* VerdictText(scan::Verdict verdict);

}  // namespace markrun
