#include "PaperRecords.h"

#include <QCryptographicHash>

namespace markrun {

std::string SheetKey(const marking::CodedSheet& sheet, const std::string& child) {
    const std::vector<std::uint8_t> bytes = marking::EncodeSheet(sheet);
    const QByteArray digest = QCryptographicHash::hash(
        QByteArrayView(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())),
        QCryptographicHash::Sha256);
    return digest.toHex().left(32).toStdString() + '/' + child;
}

int Undecided(const scan::PageMarks& marks) {
    int count = 0;
    for (const scan::ProblemMark& mark : marks.marks) count += mark.result && mark.verdict == scan::Verdict::Doubtful;
    return count;
}

PracticeRecords::PaperSession PaperSessionOf(const scan::PageMarks& marks, const std::string& child,
                                             std::int64_t markedMs, std::int64_t elapsedMs) {
    PracticeRecords::PaperSession paper;
    paper.child = child;
    paper.sheet = marks.sheet.sheet;
    const std::vector<std::uint8_t> bytes = marking::EncodeSheet(marks.sheet);
    paper.title = "纸质试卷 " + marking::ShortCode(bytes);
    paper.markedMs = markedMs;
    paper.elapsedMs = elapsedMs;
    paper.key = SheetKey(marks.sheet, child);
    for (const scan::ProblemMark& mark : marks.marks) {
        const practice::Problem problem{mark.problem, mark.result ? *mark.result : -1};
        paper.problems.push_back(problem);
        paper.answers.push_back(mark.reading.blank ? std::string() : mark.reading.digits);
        if (!mark.result) continue;
        ++paper.asked;
        if (mark.verdict == scan::Verdict::Right) {
            ++paper.right;
            paper.outcome.right.push_back(problem);
        } else if (mark.verdict == scan::Verdict::Wrong) {
            paper.outcome.missed.push_back(problem);
        }
    }
    return paper;
}

}  // namespace markrun
