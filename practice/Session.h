#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace practice {

// One problem of a sheet as the child sees it, and its result worked out from that text, left
// to right, as the answer keys do: an edited problem is marked by its own value.
struct Problem {
    std::string text;   // UTF-8, as printed: "45＋38=", "52－18＋21="
    int value = -1;     // -1: no result a child can write (unreadable, negative, above 999)

    bool Asked() const { return value >= 0; }
    bool operator==(const Problem&) const = default;
};

enum class Mark { Right, Wrong, Blank };

// An answer as the child typed it: up to this many digits.
inline constexpr int kMaxDigits = 3;
bool IsAnswerText(const std::string& text);
Mark MarkAnswer(const Problem& problem, const std::string& answer);

struct Result {
    int right = 0;
    int asked = 0;               // 100 on a sheet as made; fewer where an edit left no result
    std::int64_t elapsedMs = 0;
    std::vector<Mark> marks;     // one per problem; Blank for one not asked

    // Right answers per minute of the time taken; 0 before any time has passed.
    double RatePerMinute() const;
};

// A handed-in sheet's problems, each once: those missed (wrong or left blank) and those
// answered right. A problem met twice on one sheet is missed if it was missed either time.
struct Outcome {
    std::vector<Problem> missed, right;
};

// A child's work on one sheet: the answers as they stand, and the time spent on them. The
// clock runs from the first keystroke while the sheet is open; time while it is put away
// (closed and kept, or the program not running) does not count.
class Session {
public:
    explicit Session(std::vector<Problem> problems);

    const std::vector<Problem>& problems() const { return m_problems; }
    const std::vector<std::string>& answers() const { return m_answers; }

    // A field's new text. Anything but up to three digits is refused; so is any change once
    // handed in. The first change starts the clock.
    bool SetAnswer(std::size_t index, const std::string& text, std::int64_t nowMs);
    // Puts the clock away (the window closes) or takes up a session kept from before.
    void Pause(std::int64_t nowMs);
    // The clock runs again after a pause, for a sheet already begun and not handed in.
    void Resume(std::int64_t nowMs);
    void Restore(std::vector<std::string> answers, std::int64_t elapsedMs);

    bool started() const { return m_started; }
    bool finished() const { return m_finished; }
    std::int64_t ElapsedMs(std::int64_t nowMs) const;
    int AnsweredCount() const;

    // Hands the sheet in: every field marked at once, the clock stopped.
    const Result& HandIn(std::int64_t nowMs);
    const Result& result() const { return m_result; }
    // Nothing before it is handed in.
    Outcome MissedAndRight() const;

private:
    std::vector<Problem> m_problems;
    std::vector<std::string> m_answers;
    bool m_started = false;
    bool m_running = false;
    bool m_finished = false;
    std::int64_t m_elapsedBefore = 0;  // time of earlier sittings
    std::int64_t m_runningSince = 0;
    Result m_result;
};

}  // namespace practice
