#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// What a printed sheet's QR code carries: the whole sheet, so that any copy of the program can
// mark it, with no records from the computer that printed it. The problems are kept as
// printed ("52－18＋21="): those in the generator's forms in a few bits each, any other (a
// sheet edited in the box) as its text. The bytes begin with a mark and a format version and
// end with a checksum, so that another program's code, or a damaged read, is never taken for
// a sheet.
namespace marking {

struct CodedSheet {
    int sheet = 0;                      // 1, 2, ... as in its footer
    std::string name;                   // UTF-8; empty where no list was used
    std::string className;              // UTF-8
    std::vector<std::string> problems;  // as printed, in reading order

    bool operator==(const CodedSheet&) const = default;
};

inline constexpr std::uint8_t kFormatVersion = 1;

std::vector<std::uint8_t> EncodeSheet(const CodedSheet& sheet);

// The sheet, or nothing for bytes that are not a sheet of a format this program reads.
std::optional<CodedSheet> DecodeSheet(std::span<const std::uint8_t> bytes);

// A short code for a person, printed beside the QR code: "K7M2-Q9XD", eight letters and digits
// that are not easily mistaken for each other (no I, L, O or U), from the code's bytes.
std::string ShortCode(std::span<const std::uint8_t> bytes);

}  // namespace marking
