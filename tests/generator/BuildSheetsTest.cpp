#include <gtest/gtest.h>


#include "generator/BuildSheets.h"
#include "bench/NaiveBuildSheets.h"
#include "support/ScriptedSource.h"

namespace pellarin {
namespace {

using testing::ScriptedSource;
constexpr auto kAdd = Op::Add;
constexpr auto kSub = Op::Sub;

ClockReading StillClock() { return 1'000'000'000; }

std::size_t Count(std::u16string_view text, std::u16string_view what) {
    std::size_t n = 0;
    for (auto at = text.find(what); at != std::u16string_view::npos; at = text.find(what, at + what.size())) ++n;
    return n;
}

// Sheet 1 of a scripted Medium run at limit 99: 80 distinct two-operand problems p＋7 and 20
// chained problems (p−80)＋10＋5, one attempt each.
TwoOperandProblem FirstSheetTwo(int position) { return {position, kAdd, 7}; }
ChainedProblem FirstSheetChained(int position) { return {position - 80, kAdd, 10, kAdd, 5}; }

void ScriptFirstSheet(ScriptedSource& source) {
    for (int i = 1; i <= 80; ++i) source.TwoOperand(FirstSheetTwo(i), 99);
    for (int i = 81; i <= 100; ++i) source.Chained(FirstSheetChained(i), 99);
}

std::u16string FirstSheetText() {
    std::u16string text;
    for (int i = 1; i <= 80; ++i) AppendProblemText(text, i, FirstSheetTwo(i));
    for (int i = 81; i <= 100; ++i) AppendProblemText(text, i, FirstSheetChained(i));
    return text;
}

// The duplicate test over a ProblemList that is not cleared between sheets, forced attempt by
// attempt on the second sheet.
TEST(BuildSheets, DuplicateTestReachesIntoThePreviousSheet) {
    ScriptedSource source;
    ScriptFirstSheet(source);
    std::u16string expected = FirstSheetText();
    int attempts = 100;
    auto place = [&](int position, const TwoOperandProblem& p) {
        source.TwoOperand(p, 99);
        AppendProblemText(expected, position, p);
        ++attempts;
    };
    auto reject = [&](const TwoOperandProblem& p) {
        source.TwoOperand(p, 99);
        ++attempts;
    };

    reject(FirstSheetTwo(1));  // position 1 meets the previous sheet's first problem
    place(1, {2, kAdd, 7});    // but may repeat any other problem of it (2＋7 stood at 2)
    reject(FirstSheetTwo(37)); // sheet 1 has it at padded position 37, still in slot 37
    reject(FirstSheetTwo(2));  // slot 2 itself still holds sheet 1's text
    reject({1, kSub, 7});      // no difficulty admits a result of -6
    place(2, {50, kAdd, 20});
    place(3, {50, kSub, 20});
    place(4, {60, kSub, 20});
    reject(FirstSheetTwo(10)); // line end: sheet 1's line end at 10 is still in slot 10
    place(5, FirstSheetTwo(3)); // a padded text of sheet 1 in another form is no duplicate
    reject({50, kAdd, 20});    // already at padded position 2 of this sheet
    place(6, {61, kSub, 20});
    place(7, FirstSheetTwo(3)); // stands at line end 5, and padded is another form
    for (int i = 8; i <= 36; ++i) place(i, {i, kAdd, 20});
    place(37, {37, kAdd, 30});
    place(38, FirstSheetTwo(37)); // slot 37 now holds this sheet's text: allowed at 38
    for (int i = 39; i <= 80; ++i) place(i, {i, kAdd, 19});
    source.Chained(FirstSheetChained(100), 99);  // chained slot 100 still holds it
    for (int i = 81; i <= 100; ++i) {
        const ChainedProblem p{i - 80, kAdd, 11, kAdd, 5};
        source.Chained(p, 99);
        AppendProblemText(expected, i, p);
    }
    const auto result = BuildSheets(source, 99, 2, u"中");
    EXPECT_TRUE(source.ScriptUsedUp());
    EXPECT_EQ(source.Reseeds(), attempts + 21);  // one re-seed before every attempt
    EXPECT_EQ(result.outputText, expected);
}

TEST(BuildSheets, NoSheetsGiveAnEmptyTextWithoutComplaint) {
    for (std::int16_t sheets : {0, -1, -32768}) {
        const auto result = BuildSheets(99, sheets, u"难");
        EXPECT_TRUE(result.outputText.empty() && !result.refused());
    }
    for (const char16_t* text : {u"", u"中 ", u" 中", u"中中", u"難"}) {
        const auto result = BuildSheets(5, 40, text);  // even an unworkable limit: skipped silently
        EXPECT_TRUE(result.outputText.empty() && !result.refused());
    }
}

TEST(BuildSheets, UnworkableSettingsAreRefusedWithTheSmallestLimit) {
    struct Case {
        std::int16_t limit;
        const char16_t* difficulty;
        const char16_t* smallest;
    };
    for (const Case c : {Case{31, u"难", u"32"}, Case{27, u"易", u"28"}, Case{11, u"中", u"12"},
                         Case{0, u"易", u"28"}, Case{-32768, u"难", u"32"}}) {
        const auto result = BuildSheets(c.limit, 40, c.difficulty);
        EXPECT_TRUE(result.outputText.empty());
        EXPECT_NE(result.refusal.find(c.smallest), std::u16string::npos) << c.limit;
    }
    // The smallest workable settings do complete.
    for (const Case c : {Case{32, u"难", nullptr}, Case{28, u"易", nullptr}, Case{12, u"中", nullptr}}) {
        RandomSource source(9, &StillClock);
        EXPECT_EQ(Count(BuildSheets(source, c.limit, 60, c.difficulty).outputText, u"题"), 60u);
    }
    EXPECT_TRUE(IsWorkable(Difficulty::Hard, 32767, 60));
}

TEST(BuildSheets, SafetyNetGivesUpInsteadOfHanging) {
    ScriptedSource source;
    for (int i = 0; i < 10; ++i) source.TwoOperand({1, kSub, 50}, 99);  // never acceptable
    RunOptions options;
    options.attemptsPerPosition = 10;
    const auto result = BuildSheets(source, 99, 3, u"中", options);
    EXPECT_TRUE(result.outputText.empty());
    EXPECT_NE(result.refusal.find(u"12"), std::u16string::npos);
    EXPECT_TRUE(source.ScriptUsedUp());
}

// The real run and the literal reading of the rules (floating-point draws, string layout,
// string comparison against every slot) give the same text from the same stream: the same
// problems, layout and duplicate test, within sheets and across them.
TEST(BuildSheets, MatchesTheLiteralReading) {
    for (const char16_t* difficulty : {u"难", u"中", u"易"}) {
        for (int limit : {99, 40, 32}) {
            RandomSource real(limit * 7 + 1, &StillClock), naive(limit * 7 + 1, &StillClock);
            const auto result = BuildSheets(real, static_cast<std::int16_t>(limit), 6, difficulty);
            EXPECT_EQ(result.outputText, naive::BuildSheets(naive, limit, 6, difficulty)) << limit;
        }
    }
}

TEST(BuildSheets, ShapeOfARun) {
    for (const char16_t* difficulty : {u"难", u"中", u"易"}) {
        RandomSource a(77, &StillClock), b(77, &StillClock);
        const auto out = BuildSheets(a, 99, 60, difficulty).outputText;
        EXPECT_EQ(out, BuildSheets(b, 99, 60, difficulty).outputText);  // same seed, same text
        EXPECT_EQ(Count(out, u"题"), 60u);
        EXPECT_EQ(Count(out, u"\r\n"), 60u * 22);
        EXPECT_EQ(out.back(), u' ');
        // Two-digit operands only (Hard and Easy): every sheet is 1,077 characters.
        if (difficulty[0] != u'中') {
            EXPECT_EQ(out.size(), 64620u);
        }
    }
}

}  // namespace
}  // namespace pellarin
