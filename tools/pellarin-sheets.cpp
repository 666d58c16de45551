// pellarin-sheets: the worksheet generator for scripts and batches. Prints exactly the text
// the output box would hold after a run with the same settings.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "Console.h"
#include "pellarin-sheets_help.h"
#include "generator/BuildSheets.h"
#include "adapt/ChildSheets.h"
#include "generator/NumberReading.h"
#include "generator/Utf.h"
#include "export/DocxWriter.h"
#include "export/FilePlacement.h"
#include "platform/SmallFile.h"
#include "records/PracticeRecords.h"
#ifdef PELLARIN_WITH_PDF
#include "ModuleLoader.h"
#include "markrun/MarkModule.h"
#include "print/SheetsPdfModule.h"
#endif

namespace {

// The help's first three lines are the usage, which a wrong argument is answered with.
std::string_view Usage() {
    const std::string_view help = kHelpText;
    std::size_t end = 0;
    for (int line = 0; line < 3; ++line) end = help.find('\n', end) + 1;
    return help.substr(0, end);
}

int Usage(const std::string& problem) {
    std::fprintf(stderr, "pellarin-sheets：%s\n%.*s", problem.c_str(), static_cast<int>(Usage().size()), Usage().data());
    return 2;
}

// A whole argument that is one number: an optional sign, digits, an optional fraction.
// Rounded like the window's settings, halves to even.
std::optional<std::int16_t> ParseSetting(std::string_view text) {
    std::size_t i = (!text.empty() && (text[0] == '+' || text[0] == '-')) ? 1 : 0;
    std::size_t digits = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) ++digits;
    if (i < text.size() && text[i] == '.') {
        for (++i; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) ++digits;
    }
    if (digits == 0 || i != text.size()) return std::nullopt;
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

// What goes on paper besides the sheets: the answer key (0 none, 1 full, 2 compact), the
// class list's bytes, the class.
struct PaperOptions {
    int answers = 0;
    std::optional<std::string> names;
    std::string namesFile;
    std::optional<std::string> className;
    bool plain = false;  // without the corner squares, the QR code and the answer boxes
};

int WritePdf(const std::string& path, const std::u16string& text, const PaperOptions& paper) {
#ifdef PELLARIN_WITH_PDF
    std::string problem;
    const auto write = reinterpret_cast<PellarinWriteSheetsPdf>(LoadModuleEntry("pellarin-pdf", PELLARIN_PDF_ENTRY, problem));
    if (!write) {
        std::fprintf(stderr, "pellarin-sheets：%s\n", problem.c_str());
        return 1;
    }
    char reason[1024] = "";
    char note[4096] = "";
    const PellarinPdfRequest request{path.c_str(), text.data(), text.size(), paper.answers,
                                     paper.names ? paper.names->data() : nullptr, paper.names ? paper.names->size() : 0,
                                     paper.className ? paper.className->c_str() : nullptr, reason, sizeof reason, note,
                                     sizeof note, pellarin::ThisProgramsCleanUpList(), paper.plain ? 1 : 0};
    // The module says which file its reason is about: the list it could not read, or the PDF.
    const int written = write(&request);
    if (written == kPdfListRefused) {
        std::fprintf(stderr, "pellarin-sheets：名单 %s：%s\n", paper.namesFile.c_str(), reason);
        return 1;
    }
    if (written != 0) {
        std::fprintf(stderr, "pellarin-sheets：%s：%s\n", path.c_str(), reason);
        return 1;
    }
    if (note[0] != '\0') std::fprintf(stderr, "pellarin-sheets：%s\n", note);
    return 0;
#else
    (void)path, (void)text, (void)paper;
    std::fputs("pellarin-sheets：这个版本没有 PDF 功能\n", stderr);
    return 1;
#endif
}

// Marks the scans of `files`; see markrun/MarkModule.h.
int MarkScans(const std::vector<std::string>& files, const std::string& csv, const std::optional<std::string>& marked,
              bool record, const std::optional<std::string>& records) {
#ifdef PELLARIN_WITH_PDF
    std::string problem;
    const auto mark = reinterpret_cast<PellarinMarkScans>(LoadModuleEntry("pellarin-mark", PELLARIN_MARK_ENTRY, problem));
    if (!mark) {
        std::fprintf(stderr, "pellarin-sheets：%s\n", problem.c_str());
        return 1;
    }
    std::vector<const char*> names;
    for (const std::string& file : files) names.push_back(file.c_str());
    const PellarinMarkRequest request{names.data(), names.size(), csv.c_str(), marked ? marked->c_str() : nullptr,
                                      record ? 1 : 0, records ? records->c_str() : nullptr,
                                      pellarin::ThisProgramsCleanUpList()};
    return mark(&request);
#else
    (void)files, (void)csv, (void)marked, (void)record, (void)records;
    std::fputs("pellarin-sheets：这个版本没有批改功能\n", stderr);
    return 1;
#endif
}

// What the command line asks for.
struct Options {
    std::int16_t limit = 99;
    std::int16_t sheets = 40;
    std::u16string difficulty = u"中";
    std::optional<std::uint64_t> seed;
    std::optional<std::string> docx;
    std::optional<std::string> pdf;
    std::optional<std::string> namesFile;
    bool answersGiven = false;
    PaperOptions paper;
    // Marking scans instead of making sheets.
    std::vector<std::string> scans;
    bool marking = false;
    std::optional<std::string> csv, marked, records;
    bool record = false;  // the marked sheets also saved in the practice records
    // A sheet for each child of the list, bringing back up to this many of the child's missed
    // facts from the records.
    std::optional<int> adapt;
    bool sheetsGiven = false;
    bool sheetOptions = false;  // any option of making sheets given
};

// The options, or the exit status of a run that ends here: --help and --version (0), or a
// wrong argument, already said (2).
std::variant<Options, int> ParseOptions(const std::vector<std::string>& args) {
    Options options;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string_view option = args[i];
        if (option == "--help" || option == "-h") {
            std::fputs(kHelpText, stdout);
            return 0;
        }
        if (option == "--version") {
            std::fputs("pellarin-sheets " PELLARIN_VERSION "\n", stdout);
            return 0;
        }
        if (option == "--answers" || option == "--answers=full" || option == "--answers=compact") {
            options.paper.answers = option == "--answers=compact" ? 2 : 1;
            options.answersGiven = true;
            continue;
        }
        if (option == "--mark") {
            options.marking = true;
            while (i + 1 < args.size() && !std::string_view(args[i + 1]).starts_with("--")) options.scans.push_back(args[++i]);
            if (options.scans.empty()) return Usage("--mark 后面缺少要批改的扫描文件");
            continue;
        }
        if (option == "--csv" || option == "--marked" || option == "--records") {
            if (i + 1 >= args.size() || args[i + 1].empty()) return Usage(std::string(option) + " 后面缺少文件名");
            (option == "--csv" ? options.csv : option == "--marked" ? options.marked : options.records) = args[++i];
            continue;
        }
        if (option == "--record") {
            options.record = true;
            continue;
        }
        if (option == "--adapt") {
            options.adapt = 10;
            options.sheetOptions = true;
            if (i + 1 < args.size() && !args[i + 1].empty() && args[i + 1].find_first_not_of("0123456789") == std::string::npos) {
                const std::string& count = args[++i];
                if (count.size() > 2 || std::stoi(count) > 20) {
                    return Usage("--adapt 后面每份试卷的错题数要在 0 到 20 之间，“" + count + "”不是");
                }
                options.adapt = std::stoi(count);
            }
            continue;
        }
        options.sheetOptions = true;
        if (option == "--plain") {
            options.paper.plain = true;
            continue;
        }
        if (option.starts_with("--answers=")) {
            return Usage("--answers= 只能是 compact（简明答案）或 full（每份一页），“" + std::string(option) + "”不是");
        }
        if (option != "--limit" && option != "--sheets" && option != "--difficulty" && option != "--seed" &&
            option != "--docx" && option != "--pdf" && option != "--names" && option != "--class") {
            return Usage("没有这个选项：“" + std::string(option) + "”");
        }
        if (i + 1 >= args.size()) return Usage(std::string(option) + " 后面缺少取值");
        const std::string_view value = args[++i];
        if (option == "--limit" || option == "--sheets") {
            const auto number = ParseSetting(value);
            if (!number) {
                return Usage(std::string(option) + " 要一个 -32768 到 32767 之间的数，“" + std::string(value) +
                             "”不是");
            }
            (option == "--limit" ? options.limit : options.sheets) = *number;
            options.sheetsGiven |= option == "--sheets";
        } else if (option == "--difficulty") {
            options.difficulty = pellarin::FromUtf8(value);
            if (!pellarin::ParseDifficulty(options.difficulty)) {
                return Usage("--difficulty 只能是 难、中 或 易，“" + std::string(value) + "”不是");
            }
        } else if (option == "--names") {
            options.namesFile = std::string(value);
        } else if (option == "--class") {
            options.paper.className = std::string(value);
        } else if (option == "--docx" || option == "--pdf") {
            if (value.empty()) return Usage(std::string(option) + " 后面缺少文件名");
            (option == "--docx" ? options.docx : options.pdf) = std::string(value);
        } else {
            options.seed = ParseSeed(value);
            if (!options.seed) {
                return Usage("--seed 要一个 0 到 18446744073709551615 之间的整数，“" + std::string(value) + "”不是");
            }
        }
    }
    if (options.marking) {
        if (options.sheetOptions || options.answersGiven) return Usage("--mark 批改扫描的试卷，不和出题的选项一起用");
        if (!options.csv) return Usage("--mark 要和 --csv 结果文件一起用");
        if (options.records && !options.record) return Usage("--records 只和 --record 一起用");
        return options;
    }
    if (options.csv || options.marked || options.record) return Usage("--csv、--marked 和 --record 只和 --mark 一起用");
    if (options.records && !options.adapt) return Usage("--records 只和 --mark --record 或 --adapt 一起用");
    if (options.adapt) {
        if (!options.namesFile) return Usage("--adapt 按名单上每个孩子的错题出题，要和 --names 名单一起用");
        if (options.sheetsGiven) return Usage("--adapt 给名单上每个孩子出一份试卷，不和 --sheets 一起用");
        if (options.docx) return Usage("--adapt 的试卷写成文字或 PDF，不和 --docx 一起用");
        if (options.paper.className && !options.pdf) return Usage("--class 只和 --pdf 一起用");
        return options;
    }
    if (options.docx && options.pdf) return Usage("--docx 和 --pdf 一次只能用一个");
    if (options.answersGiven && !options.pdf) return Usage("--answers 只和 --pdf 一起用");
    if (options.paper.plain && !options.pdf) return Usage("--plain 只和 --pdf 一起用");
    if ((options.namesFile || options.paper.className) && !options.pdf) {
        return Usage("--names 和 --class 只和 --pdf 一起用");
    }
    return options;
}

// The class list's bytes into the paper options; false, said, when the list cannot be read.
bool ReadNames(Options& options) {
    if (!options.namesFile) return true;
    std::string bytes;
    const auto problem = pellarin::ReadSmallFile(*options.namesFile, pellarin::kClassListLimit, bytes);
    if (problem != pellarin::SmallFileProblem::None) {
        std::fprintf(stderr, "pellarin-sheets：名单 %s：%s\n", options.namesFile->c_str(),
                     pellarin::DescribeSmallFileProblem(problem));
        return false;
    }
    options.paper.names = std::move(bytes);
    options.paper.namesFile = *options.namesFile;
    return true;
}

int WriteText(const std::u16string& text) {
    const std::string bytes = pellarin::ToUtf8(text);
    errno = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size() || std::fflush(stdout) != 0) {
        const int error = errno;
        std::fprintf(stderr, "pellarin-sheets：试卷没能写到标准输出：%s\n",
                     error ? pellarin::DescribeFileError(error).c_str() : "写入出错");
        return 1;
    }
    return 0;
}

int WriteDocx(const std::string& path, std::u16string text) {
    try {
        pellarin::DocxFileWriter writer(path);
        pellarin::WriteSheetsDocument(writer, [&] { return std::move(text); });
        writer.Show();
    } catch (const pellarin::DocumentError& e) {
        std::fprintf(stderr, "pellarin-sheets：%s：%s\n", e.path().c_str(), e.what());
        return 1;
    }
    return 0;
}

}  // namespace

// The names of the class list, through the PDF module's reader of lists; false, said, when
// they cannot be read.
bool ListedNames(const Options& options, std::vector<std::string>& names) {
#ifdef PELLARIN_WITH_PDF
    std::string problem;
    const auto read = reinterpret_cast<PellarinReadClassList>(LoadModuleEntry("pellarin-pdf", PELLARIN_CLASS_LIST_ENTRY, problem));
    if (!read) {
        std::fprintf(stderr, "pellarin-sheets：%s\n", problem.c_str());
        return false;
    }
    const std::string& bytes = *options.paper.names;
    std::vector<char> listed(bytes.size() * 2 + 16);
    char reason[1024] = "";
    if (read(bytes.data(), bytes.size(), listed.data(), listed.size(), reason, sizeof reason) != 0) {
        std::fprintf(stderr, "pellarin-sheets：名单 %s：%s\n", options.paper.namesFile.c_str(), reason);
        return false;
    }
    std::string name;
    for (const char* c = listed.data(); ; ++c) {
        if (*c == '\n' || *c == '\0') {
            if (!name.empty()) names.push_back(name);
            name.clear();
            if (*c == '\0') break;
        } else {
            name += *c;
        }
    }
    return true;
#else
    (void)options, (void)names;
    std::fputs("pellarin-sheets：这个版本读不了名单\n", stderr);
    return false;
#endif
}

// A sheet for each child of the list with the child's own missed facts, as text or as a PDF.
// The records are only read. A child not in them, or records that cannot be read, get plain
// sheets, and standard error says so.
int AdaptedSheets(Options& options) {
    std::vector<std::string> names;
    if (!ListedNames(options, names)) return 1;
    if (names.empty()) {
        std::fprintf(stderr, "pellarin-sheets：名单 %s 里没有名字，没有出题\n", options.paper.namesFile.c_str());
        return 1;
    }
    const std::string path = options.records ? *options.records : PracticeRecords::DefaultPath();
    adapt::ChildSheets made;
    if (options.seed) {
        pellarin::RandomSource source(*options.seed, &StillClock);
        made = adapt::Make(source, names, path, options.limit, options.difficulty, *options.adapt);
    } else {
        made = adapt::Make(pellarin::ProgramRandomSource(), names, path, options.limit, options.difficulty, *options.adapt);
    }
    const pellarin::AdaptedRun& run = made.run;
    if (run.result.refused()) {
        std::fprintf(stderr, "pellarin-sheets：%s\n", pellarin::ToUtf8(run.result.refusal).c_str());
        return 1;
    }
    for (const std::string& note : made.notes) std::fprintf(stderr, "pellarin-sheets：%s\n", note.c_str());
    if (options.pdf) return WritePdf(*options.pdf, run.result.outputText, options.paper);
    return WriteText(run.result.outputText);
}

int main(int argc, char** argv) {
    // A document cut off by Ctrl+C or a closed terminal leaves no private file behind.
    pellarin::InstallInterruptCleanUp();
    PrepareStandardStreams();
    auto parsed = ParseOptions(CommandLineArguments(argc, argv));
    if (const int* status = std::get_if<int>(&parsed)) return *status;
    Options& options = std::get<Options>(parsed);
    if (options.marking) return MarkScans(options.scans, *options.csv, options.marked, options.record, options.records);
    if (!ReadNames(options)) return 1;

    if (options.adapt) return AdaptedSheets(options);
    pellarin::GenerationResult result =
        options.seed ? [&] {
            pellarin::RandomSource source(*options.seed, &StillClock);
            return pellarin::BuildSheets(source, options.limit, options.sheets, options.difficulty);
        }()
                     : pellarin::BuildSheets(options.limit, options.sheets, options.difficulty);
    if (result.refused()) {
        std::fprintf(stderr, "pellarin-sheets：%s\n", pellarin::ToUtf8(result.refusal).c_str());
        return 1;
    }
    // Zero sheets (or fewer) make an empty text: no document is written for it.
    if ((options.docx || options.pdf) && result.outputText.empty()) {
        std::fputs("pellarin-sheets：试卷份数是 0，没有写出文件\n", stderr);
        return 0;
    }
    if (options.docx) return WriteDocx(*options.docx, std::move(result.outputText));
    if (options.pdf) return WritePdf(*options.pdf, result.outputText, options.paper);
    return WriteText(result.outputText);
}
