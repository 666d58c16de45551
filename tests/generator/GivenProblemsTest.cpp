// Sheets that bring back given problems: the plain run stays byte for byte what it was, and
// every fact placed obeys its position's rules and the duplicate test.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "generator/GivenProblems.h"
#include "generator/Utf.h"

using namespace pellarin;

namespace {

ClockReading StillClock() { return 0; }  // as pellarin-sheets --seed runs

std::uint64_t Fnv(const std::string& bytes) {
    std::uint64_t h = 0xcbf29ce484222325ULL;
    for (unsigned char c : bytes) h = (h ^ c) * 0x100000001b3ULL;
    return h;
}

// The problems of a run's text, sheet by sheet, in reading order: every "a±b=" or "a±b±c=".
std::vector<std::vector<std::u16string>> Problems(std::u16string_view text) {
    std::vector<std::vector<std::u16string>> sheets;
    auto digit = [&](std::size_t i) { return i < text.size() && text[i] >= u'0' && text[i] <= u'9'; };
    auto sign = [&](std::size_t i) { return i < text.size() && (text[i] == u'＋' || text[i] == u'－'); };
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!digit(i) || (i > 0 && digit(i - 1))) continue;
        std::size_t j = i;
        int operands = 0;
        while (true) {
            while (digit(j)) ++j;
            ++operands;
            if (!sign(j)) break;
            ++j;
        }
        if (operands < 2 || j >= text.size() || text[j] != u'=') continue;
        if (sheets.empty() || sheets.back().size() == 100) sheets.emplace_back();
        sheets.back().emplace_back(text.substr(i, j + 1 - i));
        i = j;
    }
    return sheets;
}

// The duplicate test over a whole run: within a sheet no text twice in one layout form; and no
// text where the sheet before has it, in that form, at the same position or a later one.
void ExpectNoForbiddenDuplicates(const std::vector<std::vector<std::u16string>>& sheets) {
    for (std::size_t s = 0; s < sheets.size(); ++s) {
        ASSERT_EQ(sheets[s].size(), 100u);
        for (int i = 1; i <= 100; ++i) {
            for (int q = 1; q <= 100; ++q) {
                if (FormOf(q) != FormOf(i) || sheets[s][i - 1] != sheets[s][q - 1]) continue;
                EXPECT_EQ(q, i) << "sheet " << s + 1 << ": " << ToUtf8(sheets[s][i - 1]) << " at " << i << " and " << q;
                if (s > 0) {
                    for (int later = i; later <= 100; ++later) {
                        EXPECT_FALSE(FormOf(later) == FormOf(i) && sheets[s - 1][later - 1] == sheets[s][i - 1])
                            << "sheet " << s + 1 << " position " << i << " repeats sheet " << s << " position " << later;
                    }
                }
            }
        }
    }
}

std::vector<Fact> Facts(std::initializer_list<const char16_t*> texts) {
    std::vector<Fact> facts;
    for (const char16_t* text : texts) {
        const auto fact = ParseFact(text);
        EXPECT_TRUE(fact) << ToUtf8(text);
        if (fact) facts.push_back(*fact);
    }
    return facts;
}

}  // namespace

// Today's runs, kept as hashes of their texts: the plain run, and the run with given problems
// when none are given or none may be placed, print exactly what they printed before.
TEST(GivenProblems, WithoutGivenProblemsEveryRunIsTodays) {
    std::ifstream file(PELLARIN_REFERENCE_OUTPUTS);
    ASSERT_TRUE(file) << PELLARIN_REFERENCE_OUTPUTS;
    std::string line;
    int runs = 0;
    while (std::getline(file, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string difficulty, hash;
        int limit, sheets, refused;
        std::uint64_t seed;
        std::size_t length;
        fields >> difficulty >> limit >> sheets >> seed >> hash >> length >> refused;
        const std::u16string d = FromUtf8(difficulty);
        const std::vector<std::vector<Fact>> someFacts(static_cast<std::size_t>(sheets), Facts({u"45＋38=", u"12＋35－20="}));
        for (int variant = 0; variant < 3; ++variant) {
            RandomSource source(seed, &StillClock);
            const GenerationResult result =
                variant == 0 ? BuildSheets(source, static_cast<std::int16_t>(limit), static_cast<std::int16_t>(sheets), d)
                : variant == 1
                    ? BuildAdaptedSheets(source, static_cast<std::int16_t>(limit), static_cast<std::int16_t>(sheets), d, {}, 10).result
                    : BuildAdaptedSheets(source, static_cast<std::int16_t>(limit), static_cast<std::int16_t>(sheets), d,
                                         someFacts, 0).result;
            const std::string text = ToUtf8(result.outputText);
            char said[17];
            std::snprintf(said, sizeof said, "%016llx", static_cast<unsigned long long>(Fnv(text)));
            EXPECT_EQ(said, hash) << line << " (variant " << variant << ")";
            EXPECT_EQ(text.size(), length) << line;
            EXPECT_EQ(result.refused(), refused != 0) << line;
        }
        ++runs;
    }
    EXPECT_EQ(runs, 672);
}

TEST(GivenProblems, FactsAreReadAsPrinted) {
    EXPECT_EQ(ParseFact(u"45＋38="), Fact(TwoOperandProblem{45, Op::Add, 38}));
    EXPECT_EQ(ParseFact(u"52－18＋21="), Fact(ChainedProblem{52, Op::Sub, 18, Op::Add, 21}));
    EXPECT_EQ(ParseFact(u"7-0="), Fact(TwoOperandProblem{7, Op::Sub, 0}));
    for (const char16_t* bad : {u"", u"45", u"45＋38", u"45＋＝", u"045＋38=", u"1000＋1=", u"45×38=", u"45＋38=3",
                                u"1＋2＋3＋4=", u" 45＋38="}) {
        EXPECT_FALSE(ParseFact(bad)) << ToUtf8(bad);
    }
}

// Hard sheets at 99: the facts that pass the rules take positions of their kind, as many as
// allowed, in the order given; those that do not pass are left out and counted.
TEST(GivenProblems, PlacedFactsObeyTheirPositionsRulesAndTheDuplicateTest) {
    const std::vector<Fact> facts = Facts({
        u"12＋13=",  // no carry: not a hard problem
        u"45＋38=", u"63－28=", u"27＋48=", u"91－56=", u"36＋47=", u"82－37=", u"19＋66=", u"74－19=",
        u"47＋38－29=",  // chained, carrying then borrowing
        u"95＋27=",      // over the limit
        u"58＋35=", u"44－17=",
    });
    std::vector<std::vector<Fact>> given(6);
    given[0] = facts;
    given[1] = facts;  // the sheet after: the same facts again, where the sheet before allows
    given[4] = Facts({u"63－28="});
    for (std::uint64_t seed : {7u, 8u, 9u}) {
        RandomSource source(seed, &StillClock);
        const AdaptedRun run = BuildAdaptedSheets(source, 99, 6, u"难", given, 10);
        ASSERT_FALSE(run.result.refused());
        ASSERT_EQ(run.placed.size(), 6u);
        EXPECT_EQ(run.placed[0], 10);
        EXPECT_EQ(run.leftOut[0], 2);
        EXPECT_EQ(run.placed[1] + run.leftOut[1], 12) << "every fact of sheet 2 tried: placed or left out";
        EXPECT_GE(run.placed[1], 9);
        EXPECT_EQ(run.placed[4], 1);
        EXPECT_EQ(run.placed[2] + run.placed[3] + run.placed[5], 0);
        const auto sheets = Problems(run.result.outputText);
        ASSERT_EQ(sheets.size(), 6u);
        ExpectNoForbiddenDuplicates(sheets);
        // The first ten of the facts that pass are on sheet 1, each at a position of its kind.
        std::map<std::u16string, std::vector<int>> at;
        for (int i = 0; i < 100; ++i) at[sheets[0][i]].push_back(i + 1);
        for (const char16_t* text : {u"45＋38=", u"63－28=", u"27＋48=", u"91－56=", u"36＋47=", u"82－37=",
                                     u"19＋66=", u"74－19=", u"58＋35="}) {
            ASSERT_TRUE(at.count(text)) << ToUtf8(text);
            for (int position : at[text]) EXPECT_LE(position, 80) << ToUtf8(text);
        }
        ASSERT_TRUE(at.count(u"47＋38－29="));
        for (int position : at[u"47＋38－29="]) EXPECT_GT(position, 80);
        EXPECT_FALSE(at.count(u"12＋13=") || at.count(u"95＋27="));
    }
}

// Facts that cannot stand on the sheet: over the limit, of another difficulty, or more than the
// chained positions' twenty can take without a duplicate.
TEST(GivenProblems, WhatDoesNotFitIsLeftOutAndCounted) {
    RandomSource easy(3, &StillClock);
    const AdaptedRun run =
        BuildAdaptedSheets(easy, 40, 2, u"易", {Facts({u"45＋38=", u"38＋45=", u"12＋13=", u"29－15=", u"13＋14＋11="})}, 20);
    ASSERT_FALSE(run.result.refused());
    EXPECT_EQ(run.placed[0], 3);   // 12＋13, 29－15 and the chained one
    EXPECT_EQ(run.leftOut[0], 2);  // over 40
    EXPECT_EQ(run.placed[1], 0);

    // Twenty-one distinct chained facts for twenty chained positions, K 20: twenty placed.
    std::vector<Fact> chained;
    for (int c = 1; c <= 21; ++c) chained.push_back(ChainedProblem{50, Op::Add, 10, Op::Sub, c});
    RandomSource medium(4, &StillClock);
    const AdaptedRun full = BuildAdaptedSheets(medium, 99, 1, u"中", {chained}, 21);
    EXPECT_EQ(full.placed[0], 20);
    EXPECT_EQ(full.leftOut[0], 1);
    const auto sheets = Problems(full.result.outputText);
    for (int i = 80; i < 100; ++i) EXPECT_TRUE(sheets[0][i].starts_with(u"50＋10－")) << i + 1;
    ExpectNoForbiddenDuplicates(sheets);
}

TEST(GivenProblems, TheSameSeedGivesTheSameSheets) {
    const std::vector<std::vector<Fact>> given{Facts({u"45＋38=", u"63－28=", u"12＋35－20="})};
    RandomSource first(11, &StillClock), second(11, &StillClock), other(12, &StillClock), plain(11, &StillClock);
    const auto a = BuildAdaptedSheets(first, 99, 3, u"中", given, 10);
    const auto b = BuildAdaptedSheets(second, 99, 3, u"中", given, 10);
    const auto c = BuildAdaptedSheets(other, 99, 3, u"中", given, 10);
    EXPECT_EQ(a.result.outputText, b.result.outputText);
    EXPECT_NE(a.result.outputText, c.result.outputText);
    EXPECT_NE(a.result.outputText, BuildSheets(plain, 99, 3, u"中").outputText);
    EXPECT_EQ(a.placed, (std::vector<int>{3, 0, 0}));
}
