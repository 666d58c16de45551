#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "DigitNet.h"
#include "GreyImage.h"
#include "Registration.h"
#include "marking/SheetCode.h"

// Marking one scanned page of a sheet printed ready for marking: found by its corner squares,
// straightened, named by its QR code, and each answer box read and judged against the result
// the sheet's own problem gives.
namespace scan {

enum class Verdict { Right, Wrong, Doubtful };  // 对, 错, 待核

// What was written in one box.
struct BoxReading {
    bool blank = false;          // nothing written
    std::string digits;          // as read, 1 to 3 digits; empty where blank or unreadable
    std::vector<Probabilities> perDigit;   // of the reading kept
    // Every way the writing was cut into digits, each digit's probabilities: an answer is
    // only marked 错 when no way of reading it gives the right result.
    std::vector<std::vector<Probabilities>> ways;
    // The reading kept is the writing's own pieces, each no wider than a digit is: no digits
    // had to be cut apart or pieces joined to read it.
    bool plainPieces = false;
    std::string doubt;           // why a person should look, or empty
    Rect where;                  // the box on the straightened page, in its pixels
};

struct ProblemMark {
    int number = 0;              // 1..100, reading order
    std::string problem;         // as printed
    std::optional<int> result;   // what the child should write; none where there is no box
    BoxReading reading;
    Verdict verdict = Verdict::Doubtful;
    double certainty = 0;        // of the verdict, 0..1: 待核 ones are confirmed least certain first
};

struct PageMarks {
    bool recognised = false;
    std::string reason;          // why not, in Chinese
    marking::CodedSheet sheet;
    std::vector<ProblemMark> marks;
    GreyImage straight;          // the page straightened, where asked for
    // Seconds spent finding and straightening the page and reading its code, and reading its
    // boxes; for the benchmark.
    double registrationSeconds = 0, recognitionSeconds = 0;
    int score() const;
};

inline constexpr double kPixelsPerMm = 8;  // of the straightened page: 203 dpi

// The bytes of the QR code in a picture, or nothing.
std::optional<std::vector<std::uint8_t>> ReadCode(const GreyImage& picture);

// Reads the box at `box` (mm) of a straightened page, where the answer has `expectedDigits`
// digits: the writing is also tried cut into that many, and the surest reading kept.
// `near`: how far (mm) the box is likely moved from its place; it is looked for within
// `reachMm` of there.
// `cut`, for the recogniser's trainer: gets the images of the digits, as the network sees them,
// of the first way of cutting the writing into `cut->count` digits; nothing is read.
struct CutDigits {
    std::size_t count = 0;
    std::vector<std::array<float, kSide * kSide>> images;
};
BoxReading ReadBox(const GreyImage& page, Rect box, std::size_t expectedDigits, Point near = {}, double reachMm = 2.5,
                   CutDigits* cut = nullptr);

// A box's frame found on a straightened page near `box` (mm) moved by `near`, within
// `reachMm`: its top left corner in pixels, and how whole its weakest side is (thousandths).
struct FoundFrame {
    int x = 0, y = 0;
    long weakest = 0;
};
FoundFrame FindFrame(const GreyImage& page, Rect box, Point near, double reachMm);

// How far each place of a straightened page is moved from where its layout puts it (mm), as
// the frames of its first `boxes` boxes show.
std::function<Point(Point)> PageCorrection(const GreyImage& page, int boxes);

// How sure the recogniser must be of a reading to mark it 对 or 错 without a person: that the
// writing is the right result, read the likeliest way (对), or another value (错). Set on
// held-out scans (tests/markrun/make_scans.py, 20 sheets, seed 11, never the tests' own) so that
// fewer than 0.5 % of either verdict is false: there none of 437 wrong answers was marked 对
// and 0.14 % of right ones 错, with 82 % decided.
inline constexpr double kRightAt = 0.6, kWrongAt = 0.9;

// The verdict on a reading for a problem whose result is `result`.
Verdict Judge(const BoxReading& reading, int result, double& certainty);

PageMarks MarkPage(const GreyImage& picture, bool keepStraight);

}  // namespace scan
