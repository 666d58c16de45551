#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The page images of a PDF that a scanner or a phone's scanning app wrote: one picture a page.
// JPEG (DCT) pictures come as their file's bytes, to be decoded as any JPEG is; Flate (and the
// other lossless filters) come as pixels. Pages are read one at a time, so that a 300-page
// scan never has more than one page's picture in memory.
namespace scan {

struct PdfPicture {
    enum class Kind { Jpeg, Grey, Rgb, Problem } kind = Kind::Problem;
    std::vector<std::uint8_t> bytes;  // a JPEG file, or the pixels (1 or 3 bytes each) row by row
    int width = 0, height = 0;
    std::string problem;              // Problem: why this page has no picture to read, in Chinese
};

// Calls `page` with each page's number (from 1) and picture, in order, until it returns false.
// Returns the reason the file cannot be read at all (in Chinese), or an empty string.
std::string ReadPdfPictures(const std::string& path, const std::function<bool(int, PdfPicture)>& page);

// How many pages the file has; 0 where it cannot be read.
int PdfPageCount(const std::string& path);

}  // namespace scan
