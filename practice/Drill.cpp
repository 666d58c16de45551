#include "Drill.h"

#include <algorithm>

namespace practice {

Drill::Drill(std::vector<Problem> missed, std::vector<Problem> known, std::uint32_t seed, int rightInARow)
    : m_known(std::move(known)), m_random(seed), m_rightInARow(std::max(1, rightInARow)) {
    for (auto& problem : missed) {
        if (problem.Asked()) m_missed.push_back({std::move(problem)});
    }
    // The first problem is a missed one: the drill is for those.
    m_knownSinceMissed = kKnownBetween;
    Advance();
}

const Problem& Drill::Current() const {
    return m_currentIsMissed ? m_missed[m_current].problem : m_known[m_current];
}

int Drill::Remaining() const {
    int remaining = 0;
    for (const auto& item : m_missed) remaining += item.streak < m_rightInARow;
    return remaining;
}

std::pair<int, int> Drill::Progress() const {
    int done = 0;
    for (const auto& item : m_missed) done += std::min(item.streak, m_rightInARow);
    return {done, static_cast<int>(m_missed.size()) * m_rightInARow};
}

bool Drill::Answer(const std::string& answer) {
    if (finished()) return false;
    const bool right = MarkAnswer(Current(), answer) == Mark::Right;
    if (m_currentIsMissed) {
        Item& item = m_missed[m_current];
        item.streak = right ? item.streak + 1 : 0;
        if (item.streak == m_rightInARow) m_mastered.push_back(item.problem);
    } else if (!right) {
        // Not known after all: it is drilled like the others and no longer counts as known.
        m_slipped.push_back(m_known[m_current]);
        m_missed.push_back({m_known[m_current]});
        m_known.erase(m_known.begin() + m_current);
        m_lastKnown = -1;
    }
    Advance();
    return right;
}

void Drill::Advance() {
    if (Remaining() == 0) {
        m_current = -1;
        return;
    }
    if (m_knownSinceMissed < kKnownBetween && !m_known.empty()) {
        // A known problem, not the one just asked where there is a choice.
        int pick = static_cast<int>(m_random() % m_known.size());
        if (pick == m_lastKnown && m_known.size() > 1) pick = (pick + 1) % static_cast<int>(m_known.size());
        m_current = m_lastKnown = pick;
        m_currentIsMissed = false;
        ++m_knownSinceMissed;
        return;
    }
    // The next missed problem still to master, in turn.
    const int count = static_cast<int>(m_missed.size());
    for (int step = 0; step < count; ++step) {
        const int index = (m_nextMissed + step) % count;
        if (m_missed[index].streak < m_rightInARow) {
            m_current = index;
            m_nextMissed = (index + 1) % count;
            break;
        }
    }
    m_currentIsMissed = true;
    m_knownSinceMissed = 0;
}

void RecordMiss(MissedEntry& entry) {
    ++entry.timesMissed;
    entry.rightDays = 0;
    entry.lastRightDay = -1;
    entry.retired = false;
}

void RecordRight(MissedEntry& entry, int day) {
    if (entry.retired || day == entry.lastRightDay) return;
    ++entry.rightDays;
    entry.lastRightDay = day;
    entry.retired = entry.rightDays >= kRightDaysToRetire;
}

}  // namespace practice
