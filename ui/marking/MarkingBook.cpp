#include "MarkingBook.h"

#include <QBuffer>
#include <QJsonArray>
#include <algorithm>

namespace {

// Around a box, what a person sees of it: the writing and what strays outside.
constexpr int kMargin = 3 * static_cast<int>(scan::kPixelsPerMm);

bool ShownToAPerson(const scan::ProblemMark& mark) {
    return mark.result && mark.verdict != scan::Verdict::Right;
}

}  // namespace

MarkingBook::Page MarkingBook::Prepare(markrun::MarkedPage page) {
    Page out;
    scan::GreyImage& straight = page.marks.straight;
    if (page.marks.recognised && !straight.empty()) {
        const QImage image(straight.pixels.data(), straight.width, straight.height, straight.width,
                           QImage::Format_Grayscale8);
        for (std::size_t i = 0; i < page.marks.marks.size(); ++i) {
            const scan::ProblemMark& mark = page.marks.marks[i];
            if (!ShownToAPerson(mark)) continue;
            const scan::Rect& r = mark.reading.where;
            out.cutouts[static_cast<int>(i)] =
                image.copy(QRect(r.x - kMargin, r.y - kMargin, r.width + 2 * kMargin, r.height + 2 * kMargin));
        }
        QBuffer buffer(&out.straightJpeg);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "JPEG", 90);
    }
    straight = {};
    out.page = std::move(page);
    return out;
}

int MarkingBook::Add(Page page) {
    m_pages.push_back(std::move(page));
    const int index = static_cast<int>(m_pages.size()) - 1;
    ApplyExpected(index);
    return index;
}

const scan::ProblemMark& MarkingBook::mark(Item item) const {
    return page(item.page).page.marks.marks[static_cast<std::size_t>(item.mark)];
}

const QImage* MarkingBook::cutout(Item item) const {
    const auto& cutouts = page(item.page).cutouts;
    const auto found = cutouts.find(item.mark);
    return found == cutouts.end() ? nullptr : &found->second;
}

std::optional<MarkingBook::Item> MarkingBook::NextDoubtful() const {
    std::optional<Item> next;
    double least = 2;
    for (std::size_t p = 0; p < m_pages.size(); ++p) {
        const Page& page = m_pages[p];
        const auto& marks = page.page.marks.marks;
        for (std::size_t m = 0; m < marks.size(); ++m) {
            if (!marks[m].result || marks[m].verdict != scan::Verdict::Doubtful) continue;
            if (marks[m].certainty < least) {
                least = marks[m].certainty;
                next = Item{static_cast<int>(p), static_cast<int>(m)};
            }
        }
    }
    return next;
}

int MarkingBook::DoubtfulLeft() const {
    int left = 0;
    for (std::size_t p = 0; p < m_pages.size(); ++p) left += Undecided(static_cast<int>(p));
    return left;
}

void MarkingBook::Confirm(Item item, const std::optional<QString>& digits) {
    Page& page = m_pages[static_cast<std::size_t>(item.page)];
    scan::ProblemMark& mark = page.page.marks.marks[static_cast<std::size_t>(item.mark)];
    mark.reading.blank = !digits;
    mark.reading.digits = digits ? digits->toStdString() : std::string();
    mark.reading.doubt.clear();
    const bool right = digits && !digits->isEmpty() && mark.result && digits->toInt() == *mark.result;
    mark.verdict = right ? scan::Verdict::Right : scan::Verdict::Wrong;
    page.confirmed.insert(item.mark);
    m_changed = true;
}

std::optional<MarkingBook::Item> MarkingBook::NextWrong() const {
    for (std::size_t p = 0; p < m_pages.size(); ++p) {
        const Page& page = m_pages[p];
        const auto& marks = page.page.marks.marks;
        for (std::size_t m = 0; m < marks.size(); ++m) {
            const int i = static_cast<int>(m);
            if (marks[m].verdict == scan::Verdict::Wrong && marks[m].result && !page.confirmed.count(i) &&
                !page.looked.count(i)) {
                return Item{static_cast<int>(p), i};
            }
        }
    }
    return std::nullopt;
}

int MarkingBook::WrongLeft() const {
    int left = 0;
    for (const Page& page : m_pages) {
        const auto& marks = page.page.marks.marks;
        for (std::size_t m = 0; m < marks.size(); ++m) {
            const int i = static_cast<int>(m);
            left += marks[m].verdict == scan::Verdict::Wrong && marks[m].result && !page.confirmed.count(i) &&
                    !page.looked.count(i);
        }
    }
    return left;
}

void MarkingBook::LookAtWrong(Item item, bool right) {
    Page& page = m_pages[static_cast<std::size_t>(item.page)];
    page.looked.insert(item.mark);
    if (right) {
        scan::ProblemMark& mark = page.page.marks.marks[static_cast<std::size_t>(item.mark)];
        mark.verdict = scan::Verdict::Right;
        // What the child wrote is the right result, whatever the reader made of it.
        mark.reading.blank = false;
        mark.reading.digits = std::to_string(*mark.result);
        mark.reading.doubt.clear();
        page.confirmed.insert(item.mark);
    }
    m_changed = true;
}

QString MarkingBook::Child(int index) const {
    const Page& p = page(index);
    const std::string& coded = p.page.marks.sheet.name;
    return coded.empty() ? p.typedName : QString::fromStdString(coded);
}

void MarkingBook::SetTypedName(int index, const QString& name) {
    m_pages[static_cast<std::size_t>(index)].typedName = name.trimmed();
    m_changed = true;
}

void MarkingBook::SetMinutes(int index, int minutes) {
    m_pages[static_cast<std::size_t>(index)].minutes = std::max(0, minutes);
    m_changed = true;
}

int MarkingBook::Score(int index) const { return page(index).page.marks.score(); }

int MarkingBook::Undecided(int index) const {
    int left = 0;
    for (const scan::ProblemMark& mark : page(index).page.marks.marks) {
        left += mark.result && mark.verdict == scan::Verdict::Doubtful;
    }
    return left;
}

MarkingBook::Summary MarkingBook::Summarise() const {
    Summary summary;
    std::map<std::string, std::set<QString>> missed, blank;
    double total = 0;
    for (std::size_t p = 0; p < m_pages.size(); ++p) {
        const Page& page = m_pages[p];
        if (!page.page.marks.recognised) continue;
        ++summary.sheets;
        total += Score(static_cast<int>(p));
        // A sheet without a name counts as its own child.
        const QString child = Child(static_cast<int>(p)).isEmpty() ? QStringLiteral("#%1").arg(p) : Child(static_cast<int>(p));
        for (const scan::ProblemMark& mark : page.page.marks.marks) {
            if (!mark.result || mark.verdict != scan::Verdict::Wrong) continue;
            missed[mark.problem].insert(child);
            if (mark.reading.blank) blank[mark.problem].insert(child);
        }
    }
    if (summary.sheets > 0) summary.average = total / summary.sheets;
    auto most = [](const std::map<std::string, std::set<QString>>& by) {
        std::vector<Fact> facts;
        for (const auto& [problem, children] : by) {
            facts.push_back({QString::fromStdString(problem), static_cast<int>(children.size())});
        }
        std::stable_sort(facts.begin(), facts.end(), [](const Fact& a, const Fact& b) { return a.children > b.children; });
        if (facts.size() > 10) facts.resize(10);
        return facts;
    };
    summary.missedByMost = most(missed);
    summary.slowest = most(blank);
    return summary;
}

QJsonObject MarkingBook::Decisions(const QStringList& files) const {
    QJsonArray pages;
    for (const Page& page : m_pages) {
        if (!page.page.marks.recognised) continue;
        if (page.confirmed.empty() && page.looked.empty() && page.typedName.isEmpty() && page.minutes == 0) continue;
        QJsonArray confirmed, looked;
        for (int i : page.confirmed) {
            const scan::ProblemMark& mark = page.page.marks.marks[static_cast<std::size_t>(i)];
            confirmed.append(QJsonObject{{QStringLiteral("mark"), i},
                                         {QStringLiteral("blank"), mark.reading.blank},
                                         {QStringLiteral("digits"), QString::fromStdString(mark.reading.digits)}});
        }
        for (int i : page.looked) looked.append(i);
        pages.append(QJsonObject{{QStringLiteral("file"), QString::fromStdString(page.page.file)},
                                 {QStringLiteral("page"), page.page.page},
                                 {QStringLiteral("name"), page.typedName},
                                 {QStringLiteral("minutes"), page.minutes},
                                 {QStringLiteral("confirmed"), confirmed},
                                 {QStringLiteral("looked"), looked}});
    }
    return {{QStringLiteral("files"), QJsonArray::fromStringList(files)}, {QStringLiteral("pages"), pages}};
}

void MarkingBook::Expect(const QJsonObject& decisions) {
    for (const QJsonValue& value : decisions.value(QStringLiteral("pages")).toArray()) {
        const QJsonObject page = value.toObject();
        m_expected[{page.value(QStringLiteral("file")).toString().toStdString(), page.value(QStringLiteral("page")).toInt()}] = page;
    }
}

void MarkingBook::ApplyExpected(int index) {
    Page& page = m_pages[static_cast<std::size_t>(index)];
    const auto found = m_expected.find({page.page.file, page.page.page});
    if (found == m_expected.end() || !page.page.marks.recognised) return;
    const QJsonObject kept = found->second;
    m_expected.erase(found);
    const int marks = static_cast<int>(page.page.marks.marks.size());
    // A file changed since (another scan under the same name) may no longer fit: what does not
    // is left for a person to do again.
    for (const QJsonValue& value : kept.value(QStringLiteral("confirmed")).toArray()) {
        const QJsonObject c = value.toObject();
        const int i = c.value(QStringLiteral("mark")).toInt(-1);
        if (i < 0 || i >= marks) continue;
        const QString digits = c.value(QStringLiteral("digits")).toString();
        Confirm({index, i}, c.value(QStringLiteral("blank")).toBool() ? std::nullopt : std::optional<QString>(digits));
    }
    for (const QJsonValue& value : kept.value(QStringLiteral("looked")).toArray()) {
        const int i = value.toInt(-1);
        if (i >= 0 && i < marks) page.looked.insert(i);
    }
    page.typedName = kept.value(QStringLiteral("name")).toString();
    page.minutes = std::max(0, kept.value(QStringLiteral("minutes")).toInt());
}
