#include "Session.h"

#include <algorithm>
#include <unordered_set>

namespace practice {

bool IsAnswerText(const std::string& text) {
    return text.size() <= kMaxDigits && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

Mark MarkAnswer(const Problem& problem, const std::string& answer) {
    if (answer.empty() || !problem.Asked()) return Mark::Blank;
    // "07" is seven: a leading zero is no mistake in the sum.
    return IsAnswerText(answer) && std::stoi(answer) == problem.value ? Mark::Right : Mark::Wrong;
}

double Result::RatePerMinute() const { return elapsedMs > 0 ? right * 60000.0 / static_cast<double>(elapsedMs) : 0.0; }

Session::Session(std::vector<Problem> problems)
    : m_problems(std::move(problems)), m_answers(m_problems.size()) {}

bool Session::SetAnswer(std::size_t index, const std::string& text, std::int64_t nowMs) {
    if (m_finished || index >= m_answers.size() || !IsAnswerText(text) || !m_problems[index].Asked()) return false;
    if (!m_running) {
        m_running = true;
        m_started = true;
        m_runningSince = nowMs;
    }
    m_answers[index] = text;
    return true;
}

void Session::Pause(std::int64_t nowMs) {
    if (!m_running) return;
    m_elapsedBefore += std::max<std::int64_t>(0, nowMs - m_runningSince);
    m_running = false;
}

void Session::Resume(std::int64_t nowMs) {
    if (m_running || m_finished || !m_started) return;
    m_running = true;
    m_runningSince = nowMs;
}

void Session::Restore(std::vector<std::string> answers, std::int64_t elapsedMs) {
    answers.resize(m_problems.size());
    for (std::size_t i = 0; i < answers.size(); ++i) {
        if (!IsAnswerText(answers[i]) || !m_problems[i].Asked()) answers[i].clear();
    }
    m_answers = std::move(answers);
    m_elapsedBefore = std::max<std::int64_t>(0, elapsedMs);
    m_started = AnsweredCount() > 0 || elapsedMs > 0;
    m_running = false;
}

std::int64_t Session::ElapsedMs(std::int64_t nowMs) const {
    // A clock set back while the child works must not make the time negative.
    return m_elapsedBefore + (m_running ? std::max<std::int64_t>(0, nowMs - m_runningSince) : 0);
}

int Session::AnsweredCount() const {
    return static_cast<int>(std::count_if(m_answers.begin(), m_answers.end(), [](const auto& a) { return !a.empty(); }));
}

const Result& Session::HandIn(std::int64_t nowMs) {
    if (m_finished) return m_result;
    Pause(nowMs);
    m_finished = true;
    m_result = Result{};
    m_result.elapsedMs = m_elapsedBefore;
    for (std::size_t i = 0; i < m_problems.size(); ++i) {
        const Mark mark = MarkAnswer(m_problems[i], m_answers[i]);
        m_result.marks.push_back(mark);
        if (m_problems[i].Asked()) ++m_result.asked;
        if (mark == Mark::Right) ++m_result.right;
    }
    return m_result;
}

Outcome Session::MissedAndRight() const {
    Outcome outcome;
    if (!m_finished) return outcome;
    std::unordered_set<std::string> seen;
    for (std::size_t i = 0; i < m_problems.size(); ++i) {
        if (m_problems[i].Asked() && m_result.marks[i] != Mark::Right && seen.insert(m_problems[i].text).second) {
            outcome.missed.push_back(m_problems[i]);
        }
    }
    for (std::size_t i = 0; i < m_problems.size(); ++i) {
        if (m_result.marks[i] == Mark::Right && seen.insert(m_problems[i].text).second) {
            outcome.right.push_back(m_problems[i]);
        }
    }
    return outcome;
}

}  // namespace practice
