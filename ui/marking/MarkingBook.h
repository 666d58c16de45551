#pragma once

#include <QByteArray>
#include <QImage>
#include <QJsonObject>
#include <QString>
#include <map>
#include <optional>
#include <set>
#include <vector>

#include "markrun/MarkRun.h"

// The sheets of one marking as a teacher goes through them: each page as the program marked
// it, with what a person has decided since. The answers the program is unsure of (待核) are
// confirmed the most doubtful first; then every 错 is looked at once more, since a right answer
// marked wrong is what hurts a child most. Nothing here draws: the window shows it.
class MarkingBook {
public:
    struct Page {
        markrun::MarkedPage page;       // marks as decided so far; page.marks.straight is not kept
        QByteArray straightJpeg;        // the page straightened, for the marked PDF
        std::map<int, QImage> cutouts;  // by mark: the writing of each answer a person may look at
        std::set<int> confirmed;        // marks a person has decided
        std::set<int> looked;           // 错 looked at in the pass over them
        QString typedName;              // for a sheet printed without one
        int minutes = 0;                // 用时 typed in; 0 not known
    };
    struct Item {
        int page = -1, mark = -1;
        bool operator==(const Item&) const = default;
    };

    // What the reader makes of a marked page for the book, on the reader's thread: its cut-outs
    // and its straightened picture are taken from page.marks.straight, which is then let go.
    static Page Prepare(markrun::MarkedPage page);
    // A page read, recognised or not (its reason is shown); its index.
    int Add(Page page);

    const std::vector<Page>& pages() const { return m_pages; }
    const Page& page(int index) const { return m_pages[static_cast<std::size_t>(index)]; }
    const scan::ProblemMark& mark(Item item) const;
    const QImage* cutout(Item item) const;

    // 核对: the most doubtful answer nobody has decided yet.
    std::optional<Item> NextDoubtful() const;
    int DoubtfulLeft() const;
    // A person's reading of the box: its digits, or nothing for a blank box.
    void Confirm(Item item, const std::optional<QString>& digits);
    // The pass over 错 that the program decided, in the order of the pages.
    std::optional<Item> NextWrong() const;
    int WrongLeft() const;
    void LookAtWrong(Item item, bool right);

    QString Child(int page) const;  // from the code, or as typed
    void SetTypedName(int page, const QString& name);
    void SetMinutes(int page, int minutes);
    int Score(int page) const;      // the 对
    int Undecided(int page) const;  // the 待核

    struct Fact {
        QString problem;
        int children = 0;
    };
    struct Summary {
        int sheets = 0;
        double average = 0;
        std::vector<Fact> missedByMost;  // the ten facts most children missed
        std::vector<Fact> slowest;       // the facts most often left blank: not reached in time, or not known
    };
    Summary Summarise() const;

    // What a person has decided, to be taken up again after a crash; the pages themselves are
    // read again from their files.
    QJsonObject Decisions(const QStringList& files) const;
    // Decisions kept earlier, applied to each page as it comes (matched by file and page).
    void Expect(const QJsonObject& decisions);
    bool changed() const { return m_changed; }
    void SetChanged(bool changed) { m_changed = changed; }

private:
    void ApplyExpected(int index);

    std::vector<Page> m_pages;
    std::map<std::pair<std::string, int>, QJsonObject> m_expected;
    bool m_changed = false;
};
