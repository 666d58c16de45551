#pragma once

#include <cstdint>
#include <random>
#include <utility>
#include <string>
#include <vector>

#include "Session.h"

namespace practice {

// 错题重练: the problems a child missed, one at a time, each after about three it already
// knows, until every missed one has been answered right twice in a row (or once, in the short
// drill). A known problem answered wrong joins the missed ones. The known ones are drawn with
// the given seed.
class Drill {
public:
    static constexpr int kKnownBetween = 3;
    static constexpr int kRightInARow = 2;

    Drill(std::vector<Problem> missed, std::vector<Problem> known, std::uint32_t seed, int rightInARow = kRightInARow);

    bool finished() const { return m_current < 0; }
    const Problem& Current() const;
    bool CurrentIsMissed() const { return m_currentIsMissed; }
    // Marks the answer to the current problem and moves on; true when it was right.
    bool Answer(const std::string& answer);

    // Missed problems not yet answered right twice in a row.
    int Remaining() const;
    int MissedCount() const { return static_cast<int>(m_missed.size()); }
    int RightInARow() const { return m_rightInARow; }
    // How far the drill has come from the first answer on: right answers in a row that count,
    // of all that are needed (each missed problem's streak, up to what masters it). A wrong
    // answer takes its problem's back, and a slipped known problem adds to what is needed.
    std::pair<int, int> Progress() const;
    // The missed problems answered right twice in a row so far, in the order they got there.
    const std::vector<Problem>& Mastered() const { return m_mastered; }
    // The problems that were known but answered wrong here.
    const std::vector<Problem>& Slipped() const { return m_slipped; }

private:
    struct Item {
        Problem problem;
        int streak = 0;
    };
    void Advance();

    std::vector<Item> m_missed;
    std::vector<Problem> m_known;
    std::vector<Problem> m_mastered, m_slipped;
    std::mt19937 m_random;
    int m_rightInARow;
    int m_current = -1;          // into m_missed or m_known
    bool m_currentIsMissed = false;
    int m_nextMissed = 0;        // the rotation through the missed ones
    int m_knownSinceMissed = 0;
    int m_lastKnown = -1;
};

// A problem on a child's list of missed ones, across sessions. It leaves the list once it
// has been answered right in three sessions on three different days; a new miss starts the
// count again.
struct MissedEntry {
    Problem problem;
    int timesMissed = 0;
    int rightDays = 0;
    int lastRightDay = -1;
    bool retired = false;
};
inline constexpr int kRightDaysToRetire = 3;
void RecordMiss(MissedEntry& entry);
void RecordRight(MissedEntry& entry, int day);

}  // namespace practice
