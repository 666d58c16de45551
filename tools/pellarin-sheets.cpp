// pellarin-sheets: the worksheet generator for scripts and batches. Prints exactly the text
// the output box would hold after a run with the same settings.

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "generator/BuildSheets.h"
#include "generator/NumberReading.h"
#include "generator/Utf.h"
#include "export/DocxWriter.h"

namespace {

constexpr const char* kUsage =
    "usage: pellarin-sheets [--limit N] [--sheets N] [--difficulty 难|中|易] [--seed N] [--docx FILE] [--help]\n";

constexpr const char* kHelp =
    "Writes practice sheets of addition and subtraction to standard output as UTF-8,\n"
    "byte for byte the text the program's output box holds after a run (CR LF line breaks).\n"
    "\n"
    "  --limit N         largest operand and result (default 99)\n"
    "  --sheets N        number of sheets (default 40); 0 or less prints nothing;\n"
    "                    a fraction is rounded, halves to even\n"
    "  --difficulty D    难 (carry or borrow in every step), 中 (any) or 易 (none); default 中\n"
    "  --seed N          start the random stream at N and keep the clock still, so that\n"
    "                    the same seed and settings always give the same text\n"
    "  --docx FILE       write the sheets as an A4 word-processor document (.docx) to FILE\n"
    "                    instead of printing them; an existing FILE is never overwritten\n"
    "  --help            this text\n"
    "\n"
    "Exit status: 0 done, 1 settings that cannot fill the sheets or a document that could\n"
    "not be written (reason on standard error),\n"
    "2 bad arguments.\n";

int Usage(const std::string& problem) {
    std::fprintf(stderr, "pellarin-sheets: %s\n%s", problem.c_str(), kUsage);
    return 2;
}

// A whole argument that is a number, rounded like the window's settings.
std::optional<std::int16_t> ParseSetting(std::string_view text) {
    if (text.empty()) return std::nullopt;
    for (char c : text) {
        if (!(std::strchr("0123456789+-.eE", c))) return std::nullopt;
    }
    return pellarin::ToInt16HalfEven(pellarin::ReadLeadingNumber(pellarin::FromUtf8(text)));
}

std::optional<std::uint64_t> ParseSeed(std::string_view text) {
    if (text.empty() || text.size() > 20) return std::nullopt;
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        const std::uint64_t next = value * 10 + static_cast<std::uint64_t>(c - '0');
        if (next / 10 != value) return std::nullopt;
        value = next;
    }
    return value;
}

pellarin::ClockReading StillClock() { return 0; }

}  // namespace

int main(int argc, char** argv) {
    std::int16_t limit = 99;
    std::int16_t sheets = 40;
    std::u16string difficulty = u"中";
    std::optional<std::uint64_t> seed;
    std::optional<std::string> docx;

    for (int i = 1; i < argc; ++i) {
        const std::string_view option = argv[i];
        if (option == "--help" || option == "-h") {
            std::fputs(kUsage, stdout);
            std::fputs(kHelp, stdout);
            return 0;
        }
        if (option != "--limit" && option != "--sheets" && option != "--difficulty" && option != "--seed" &&
            option != "--docx") {
            return Usage("unknown option '" + std::string(option) + "'");
        }
        if (i + 1 >= argc) return Usage(std::string(option) + " needs a value");
        const std::string_view value = argv[++i];
        if (option == "--limit" || option == "--sheets") {
            const auto number = ParseSetting(value);
            if (!number) return Usage(std::string(option) + " takes a number from -32768 to 32767, not '" +
                                      std::string(value) + "'");
            (option == "--limit" ? limit : sheets) = *number;
        } else if (option == "--difficulty") {
            difficulty = pellarin::FromUtf8(value);
            if (!pellarin::ParseDifficulty(difficulty)) {
                return Usage("--difficulty is one of 难, 中 and 易, not '" + std::string(value) + "'");
            }
        } else if (option == "--docx") {
            if (value.empty()) return Usage("--docx needs a file name");
            docx = std::string(value);
        } else {
            seed = ParseSeed(value);
            if (!seed) return Usage("--seed takes a whole number from 0 to 18446744073709551615");
        }
    }

    const pellarin::GenerationResult result =
        seed ? [&] {
            pellarin::RandomSource source(*seed, &StillClock);
            return pellarin::BuildSheets(source, limit, sheets, difficulty);
        }()
             : pellarin::BuildSheets(limit, sheets, difficulty);
    if (result.refused()) {
        std::fprintf(stderr, "pellarin-sheets: %s\n", pellarin::ToUtf8(result.refusal).c_str());
        return 1;
    }
    if (docx) {
        try {
            pellarin::DocxFileWriter writer(*docx);
            pellarin::WriteSheetsDocument(writer, [&] { return result.outputText; });
            writer.Show();
        } catch (const pellarin::DocumentError& e) {
            std::fprintf(stderr, "pellarin-sheets: %s: %s\n", e.path().c_str(), e.what());
            return 1;
        }
        return 0;
    }
    const std::string bytes = pellarin::ToUtf8(result.outputText);
    if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size() || std::fflush(stdout) != 0) {
        std::fprintf(stderr, "pellarin-sheets: could not write the sheets to standard output\n");
        return 1;
    }
    return 0;
}
