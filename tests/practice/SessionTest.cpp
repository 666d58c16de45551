// A session's answers, clock and marks; the drill's order and end; the rule that lets a
// missed problem go after three days of right answers.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>

#include "practice/Clock.h"
#include "practice/Drill.h"
#include "practice/Session.h"

using namespace practice;

namespace {

std::vector<Problem> Problems(std::initializer_list<int> values) {
    std::vector<Problem> problems;
    int n = 0;
    for (int value : values) problems.push_back({std::to_string(n++).append("="), value});
    return problems;
}

}  // namespace

TEST(Session, MarksEachFieldAndCountsOnlyWhatCanBeAnswered) {
    Session session(Problems({45, 7, 120, 0, 33, -1}));
    EXPECT_TRUE(session.SetAnswer(0, "45", 1000));
    EXPECT_TRUE(session.SetAnswer(1, "07", 1000));   // a leading zero is still seven
    EXPECT_TRUE(session.SetAnswer(2, "12", 1000));   // wrong
    EXPECT_TRUE(session.SetAnswer(3, "0", 1000));
    // Field 4 stays blank; field 5 has no result a child could write.
    EXPECT_FALSE(session.SetAnswer(5, "1", 1000));
    for (const char* refused : {"1234", "4a", "-3", " 4", "٣"}) EXPECT_FALSE(session.SetAnswer(0, refused, 1000)) << refused;
    EXPECT_EQ(session.answers()[0], "45");

    const Result& result = session.HandIn(61000);
    EXPECT_EQ(result.right, 3);
    EXPECT_EQ(result.asked, 5);
    EXPECT_EQ(result.marks, (std::vector<Mark>{Mark::Right, Mark::Right, Mark::Wrong, Mark::Right, Mark::Blank, Mark::Blank}));
    EXPECT_EQ(result.elapsedMs, 60000);
    EXPECT_DOUBLE_EQ(result.RatePerMinute(), 3.0);
    EXPECT_FALSE(session.SetAnswer(4, "33", 62000)) << "answers are final once handed in";
    EXPECT_EQ(session.HandIn(90000).elapsedMs, 60000);
}

TEST(Session, AHandedInSheetSortsEachProblemOnceIntoMissedOrRight) {
    // "8=" stands twice: right once and wrong once, it is missed. The blank "4=" is missed;
    // "5=", with no result to write, is neither.
    Session session({{"7=", 7}, {"8=", 8}, {"4=", 4}, {"8=", 8}, {"5=", -1}, {"7=", 7}});
    EXPECT_TRUE(session.MissedAndRight().missed.empty()) << "nothing is sorted before it is handed in";
    for (auto [index, answer] : {std::pair{0, "7"}, {1, "8"}, {3, "9"}, {5, "7"}}) session.SetAnswer(index, answer, 0);
    session.HandIn(1000);
    const Outcome outcome = session.MissedAndRight();
    EXPECT_EQ(outcome.missed, (std::vector<Problem>{{"4=", 4}, {"8=", 8}})) << "in the order of their first miss";
    EXPECT_EQ(outcome.right, (std::vector<Problem>{{"7=", 7}}));
}

TEST(Session, TimeRunsFromTheFirstKeyAndOnlyWhileTheSheetIsOpen) {
    Session session(Problems({1, 2, 3}));
    EXPECT_FALSE(session.started());
    EXPECT_EQ(session.ElapsedMs(50'000), 0);
    session.SetAnswer(0, "1", 10'000);
    EXPECT_EQ(session.ElapsedMs(25'000), 15'000);
    session.Pause(40'000);  // put away for the night
    EXPECT_EQ(session.ElapsedMs(90'000'000), 30'000);

    // Taken up again after a restart: the kept answers and time, the clock still until a key.
    Session resumed(Problems({1, 2, 3}));
    resumed.Restore({"1", "x9", "3", "extra"}, session.ElapsedMs(0));
    EXPECT_EQ(resumed.answers(), (std::vector<std::string>{"1", "", "3"}));
    EXPECT_EQ(resumed.AnsweredCount(), 2);
    EXPECT_TRUE(resumed.started());
    EXPECT_EQ(resumed.ElapsedMs(5'000'000), 30'000);
    resumed.SetAnswer(1, "2", 5'000'000);
    // A clock set back while the child works adds nothing, and takes nothing away.
    EXPECT_EQ(resumed.ElapsedMs(4'000'000), 30'000);
    EXPECT_EQ(resumed.HandIn(5'012'000).elapsedMs, 42'000);
    EXPECT_EQ(resumed.result().right, 3);
}

// The drill answered by a child who gets the problems in `wrongOnce` wrong the first time.
std::vector<std::string> Answer(Drill& drill, const std::set<std::string>& wrongOnce = {}) {
    std::vector<std::string> asked;
    std::set<std::string> slipped;
    while (!drill.finished() && asked.size() < 200) {
        const Problem problem = drill.Current();
        asked.push_back(problem.text);
        const bool wrong = wrongOnce.count(problem.text) && slipped.insert(problem.text).second;
        drill.Answer(std::to_string(problem.value + (wrong ? 1 : 0)));
    }
    return asked;
}

TEST(Drill, EachMissedProblemAfterThreeKnownUntilRightTwiceInARow) {
    const std::vector<Problem> missed{{"A=", 11}, {"B=", 12}};
    const std::vector<Problem> known{{"k1=", 1}, {"k2=", 2}, {"k3=", 3}, {"k4=", 4}, {"k5=", 5}};
    const std::set<std::string> knownTexts{"k1=", "k2=", "k3=", "k4=", "k5="};
    // The rules hold whatever the draws: the missed problems in turn, each right twice, with
    // three known ones between them, never the same one twice running.
    std::set<std::vector<std::string>> orders;
    for (std::uint32_t seed = 1; seed <= 50; ++seed) {
        Drill drill(missed, known, seed);
        const auto asked = Answer(drill);
        ASSERT_EQ(asked.size(), 13u) << "seed " << seed;
        for (std::size_t i = 0; i < asked.size(); ++i) {
            if (i % 4 == 0) EXPECT_EQ(asked[i], i % 8 == 0 ? "A=" : "B=") << "seed " << seed << ", prompt " << i;
            else EXPECT_TRUE(knownTexts.count(asked[i])) << "seed " << seed << ", prompt " << i << ": " << asked[i];
            if (i > 0) EXPECT_NE(asked[i], asked[i - 1]) << "seed " << seed;
        }
        EXPECT_EQ(drill.Mastered(), (std::vector<Problem>{missed[0], missed[1]}));
        EXPECT_EQ(drill.Remaining(), 0);
        orders.insert(asked);
    }
    // And the known ones are drawn: fifty seeds do not all give one order.
    EXPECT_GT(orders.size(), 10u);

    // A wrong answer starts the count again; a known problem answered wrong is drilled too.
    Drill again(missed, known, 7);
    const auto slipped = Answer(again, {"A=", "k2="});
    EXPECT_EQ(std::count(slipped.begin(), slipped.end(), "A="), 3);
    EXPECT_EQ(std::count(slipped.begin(), slipped.end(), "B="), 2);
    EXPECT_EQ(again.Slipped(), (std::vector<Problem>{known[1]}));
    EXPECT_EQ(again.MissedCount(), 3);
    EXPECT_EQ(std::count(slipped.begin(), slipped.end(), "k2="), 3) << "asked as known once, then twice as missed";
    for (std::size_t i = 1; i < slipped.size(); ++i) EXPECT_NE(slipped[i], slipped[i - 1]);
}

TEST(Drill, WorksWithNothingKnownAndEndsAtOnceWithNothingMissed) {
    Drill alone({{"A=", 1}, {"B=", 2}, {"X=", -1}}, {}, 1);
    EXPECT_EQ(Answer(alone), (std::vector<std::string>{"A=", "B=", "A=", "B="}));
    Drill none({}, {{"k=", 1}}, 1);
    EXPECT_TRUE(none.finished());
    EXPECT_FALSE(none.Answer("1"));
}

// The short drill: each missed problem right once. The progress counts every right answer
// to a missed problem from the first on, a wrong one takes its problem's share back, and a
// slipped known problem adds to what is needed.
TEST(Drill, TheShortDrillAndTheProgressFromTheFirstAnswer) {
    Drill quick({{"A=", 1}, {"B=", 2}}, {{"k=", 5}}, 3, 1);
    EXPECT_EQ(Answer(quick), (std::vector<std::string>{"A=", "k=", "k=", "k=", "B="}));
    EXPECT_EQ(quick.Progress(), std::make_pair(2, 2));

    Drill full({{"A=", 1}, {"B=", 2}}, {}, 3);
    EXPECT_EQ(full.Progress(), std::make_pair(0, 4));
    full.Answer("1");  // A right
    EXPECT_EQ(full.Progress(), std::make_pair(1, 4));
    full.Answer("9");  // B wrong: nothing of its own to lose
    EXPECT_EQ(full.Progress(), std::make_pair(1, 4));
    full.Answer("7");  // A wrong: its streak is gone
    EXPECT_EQ(full.Progress(), std::make_pair(0, 4));

    Drill slipping({{"A=", 1}}, {{"k=", 5}}, 3);
    slipping.Answer("1");
    slipping.Answer("0");  // the known one, wrong: now drilled too
    EXPECT_EQ(slipping.Progress(), std::make_pair(1, 4));
}

TEST(MissedList, LeavesAfterRightAnswersOnThreeDifferentDays) {
    MissedEntry entry{{"45＋38=", 83}};
    RecordMiss(entry);
    const int monday = LocalDay(1'765'152'000'000);
    RecordRight(entry, monday);
    RecordRight(entry, monday);  // a second session the same day counts once
    RecordRight(entry, monday + 1);
    EXPECT_EQ(entry.rightDays, 2);
    EXPECT_FALSE(entry.retired);
    RecordMiss(entry);  // missed again: the count starts over
    EXPECT_EQ(entry.rightDays, 0);
    EXPECT_EQ(entry.timesMissed, 2);
    for (int day : {monday + 2, monday + 4, monday + 9}) RecordRight(entry, day);
    EXPECT_TRUE(entry.retired);
    EXPECT_EQ(entry.rightDays, 3);
}

// The zone the local day is taken in, for this process.
void UseZone(const char* zone) {
#ifdef _WIN32
    _putenv_s("TZ", zone);
    _tzset();
#else
    setenv("TZ", zone, 1);
    tzset();
#endif
}

TEST(Clock, LocalDaysChangeAtLocalMidnight) {
    const std::int64_t noon = 1'765'195'200'000;  // 2025-12-08 12:00 UTC, day 20430
    const std::int64_t hour = 3'600'000;
    UseZone("UTC0");
    EXPECT_EQ(LocalDay(noon), 20'430);
    EXPECT_EQ(LocalDay(noon + 86'400'000), 20'431);
    EXPECT_EQ(LocalDay(noon + 7 * 86'400'000LL), 20'437);
    EXPECT_EQ(LocalDay(noon - 12 * hour), 20'430);      // midnight
    EXPECT_EQ(LocalDay(noon - 12 * hour - 1), 20'429);  // a moment before
    // Beijing time, eight hours ahead: its midnight is 16:00 UTC.
    UseZone("CST-8");
    EXPECT_EQ(LocalDay(noon), 20'430);
    EXPECT_EQ(LocalDay(noon + 4 * hour - 1), 20'430);
    EXPECT_EQ(LocalDay(noon + 4 * hour), 20'431);
    UseZone("UTC0");
}
