#include "MarkModule.h"

#include <cerrno>
#include <cstdio>
#include <optional>

#include <QDir>
#include <QFileInfo>

#include "MarkRun.h"
#include "MarkedPdf.h"
#include "PaperRecords.h"
#include "practice/Clock.h"
#include "export/DocumentWriter.h"
#include "export/FilePlacement.h"
#include "print/ModuleApplication.h"

namespace {

void Say(const std::string& what) { std::fprintf(stderr, "pellarin-sheets：%s\n", what.c_str()); }

}  // namespace

extern "C" Q_DECL_EXPORT int pellarin_mark_scans(const PellarinMarkRequest* request) {
    const ModuleApplication app;
    if (request->cleanUp) pellarin::UseCleanUpList(static_cast<pellarin::CleanUpList*>(request->cleanUp));

    const std::string csvPath = request->csv;
    if (pellarin::NameTaken(csvPath)) {
        Say(csvPath + "：" + pellarin::DescribeFileError(EEXIST));
        return 1;
    }
    int error = 0;
    const std::unique_ptr<pellarin::PendingFile> csv = pellarin::PendingFile::Create(csvPath, error);
    if (!csv) {
        Say(csvPath + "：" + pellarin::DescribeFileError(error));
        return 1;
    }
    std::optional<markrun::MarkedPdf> marked;
    try {
        if (request->marked) marked.emplace(request->marked);
    } catch (const pellarin::DocumentError& e) {
        Say(e.path() + "：" + e.what());
        return 1;
    }

    // The records are opened before any page is read: a file that cannot be used is said at
    // once, and the CSV and the marked pages are still written.
    std::unique_ptr<PracticeRecords> records;
    std::string recordsPath;
    if (request->record) {
        recordsPath = request->records ? request->records : PracticeRecords::DefaultPath();
        PracticeRecords::Error opening;
        QDir().mkpath(QFileInfo(QString::fromStdString(recordsPath)).absolutePath());
        records = PracticeRecords::Open(recordsPath, opening);
        if (!records) Say(recordsPath + "：练习记录打不开，没有记入（" + opening.detail + "）");
    }
    int recorded = 0, recordStatus = 0;
    const practice::SystemClock clock;

    std::vector<std::string> files(request->files, request->files + request->fileCount);
    int writeError = csv->Write(markrun::CsvHeader().data(), markrun::CsvHeader().size());
    int pages = 0, doubtful = 0;
    std::string pdfProblem;
    int unreadableFiles = 0;
    markrun::Options options;
    options.keepStraight = marked.has_value();
    const int unrecognised = markrun::MarkFiles(files, options, [&](markrun::MarkedPage& page) {
        const std::string rows = markrun::CsvRows(page);
        if (writeError == 0) writeError = csv->Write(rows.data(), rows.size());
        if (page.fileUnreadable) {
            Say(page.file + "：" + page.marks.reason);
            return;
        }
        ++pages;
        if (!page.marks.recognised) {
            Say(page.file + " 第 " + std::to_string(page.page) + " 页：" + page.marks.reason);
            return;
        }
        const int undecided = markrun::Undecided(page.marks);
        doubtful += undecided;
        if (request->record) {
            const std::string where = page.file + " 第 " + std::to_string(page.page) + " 页（第 " +
                                      std::to_string(page.marks.sheet.sheet) + " 份）";
            if (page.marks.sheet.name.empty()) {
                Say(where + "：试卷上没有姓名，没有记入练习记录（请在程序窗口里批改，填上姓名）");
                recordStatus = 1;
            } else if (records) {
                const auto paper = markrun::PaperSessionOf(page.marks, page.marks.sheet.name, clock.NowMs());
                const auto before = records->RecordedPaper({paper.key});
                if (records->RecordPaper(paper, clock.Today()) == 0) {
                    Say(where + "：没有记入练习记录（" + records->lastError().detail + "）");
                    recordStatus = 1;
                } else {
                    ++recorded;
                    if (before && !before->empty()) Say(where + "：以前记入过，这次的结果替换了上次的");
                    if (undecided > 0) Say(where + "：" + std::to_string(undecided) + " 题待核，不算对也不算错");
                }
            } else {
                recordStatus = 1;
            }
        }
        if (marked && pdfProblem.empty()) {
            try {
                marked->Add(page);
            } catch (const pellarin::DocumentError& e) {
                pdfProblem = e.what();
            }
        }
    }, unreadableFiles);

    int status = unreadableFiles > 0 ? 1 : unrecognised > 0 ? 3 : 0;
    if (writeError == 0) writeError = csv->Finish();
    if (writeError == 0) writeError = csv->PlaceWithoutReplacing();
    if (writeError != 0) {
        Say(csvPath + "：" + pellarin::DescribeFileError(writeError));
        status = 1;
    }
    if (marked) {
        if (pdfProblem.empty() && marked->pages() > 0) {
            try {
                marked->Finish();
            } catch (const pellarin::DocumentError& e) {
                pdfProblem = e.what();
            }
        } else if (pdfProblem.empty()) {
            pdfProblem = "没有认出的试卷，没有写批改后的 PDF";
        }
        if (!pdfProblem.empty()) {
            Say(std::string(request->marked) + "：" + pdfProblem);
            status = 1;
        }
    }
    if (request->record) {
        Say(std::to_string(recorded) + " 份试卷记入了练习记录（" + recordsPath + "）");
        if (recordStatus != 0) status = 1;
    }
    Say("批改了 " + std::to_string(pages - unrecognised) + " 页，" + std::to_string(unrecognised) + " 页认不出；" +
        std::to_string(doubtful) + " 题待核（请人核对）");
    return status;
}
