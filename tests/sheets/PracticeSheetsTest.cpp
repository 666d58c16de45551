// The box's sheets as practice reads them: every problem of every difficulty with the value a
// child must write, edits marked by their own value.

#include <gtest/gtest.h>

#include <QRegularExpression>

#include "generator/BuildSheets.h"
#include "practice/Session.h"
#include "sheets/PracticeSheets.h"

namespace {

// The value of a printed problem, worked here apart from the program's own reader.
int Work(const std::string& text) {
    const QString problem = QString::fromStdString(text);
    static const QRegularExpression term(QStringLiteral("([＋－]?)(\\d+)"));
    int value = 0;
    for (auto it = term.globalMatch(problem); it.hasNext();) {
        const auto match = it.next();
        value += (match.captured(1) == QStringLiteral("－") ? -1 : 1) * match.captured(2).toInt();
    }
    return value;
}

QString Generated(int limit, int sheets, const char16_t* difficulty) {
    return QString::fromStdU16String(pellarin::BuildSheets(limit, sheets, difficulty).outputText);
}

}  // namespace

class PracticeSheets : public testing::TestWithParam<std::pair<int, std::u16string>> {};

TEST_P(PracticeSheets, EveryProblemCarriesItsValueAndAllRightScoresAHundred) {
    const auto& [limit, difficulty] = GetParam();
    const auto sheets = PracticeSheetsOf(Generated(limit, 3, difficulty.c_str()));
    ASSERT_EQ(sheets.size(), 3u);
    for (const auto& sheet : sheets) {
        EXPECT_EQ(sheet.title, QStringLiteral("100道口算题（100以内纯进位、退位）"));
        ASSERT_EQ(sheet.problems.size(), 100u);
        practice::Session session(sheet.problems);
        for (std::size_t i = 0; i < sheet.problems.size(); ++i) {
            const auto& problem = sheet.problems[i];
            EXPECT_EQ(problem.value, Work(problem.text)) << problem.text;
            EXPECT_GE(problem.value, 0);
            EXPECT_LE(problem.value, limit) << problem.text;
            EXPECT_EQ(std::count(problem.text.begin(), problem.text.end(), '='), 1);
            session.SetAnswer(i, std::to_string(problem.value), 0);
        }
        EXPECT_EQ(session.HandIn(1).right, 100);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryDifficulty, PracticeSheets,
                         testing::Values(std::pair{99, std::u16string(u"难")}, std::pair{99, std::u16string(u"中")},
                                         std::pair{99, std::u16string(u"易")}, std::pair{50, std::u16string(u"难")},
                                         std::pair{50, std::u16string(u"中")}, std::pair{50, std::u16string(u"易")}));

TEST(PracticeSheetsEdited, AnEditedProblemIsMarkedByItsOwnValue) {
    QString text = Generated(99, 2, u"中");
    const auto before = PracticeSheetsOf(text);
    // Sheet 2, first problem: "7＋8=" now; the fourth becomes a subtraction below zero, which a
    // child cannot write, and the last one "12＋35－20=" as the parent typed it.
    const QString first = QString::fromStdString(before[1].problems[0].text);
    const QString fourth = QString::fromStdString(before[1].problems[3].text);
    const QString last = QString::fromStdString(before[1].problems[99].text);
    const int secondSheet = text.indexOf(QStringLiteral("100道口算题"), 20);
    text.replace(text.indexOf(first, secondSheet), first.size(), QStringLiteral("7＋8="));
    text.replace(text.indexOf(fourth, secondSheet), fourth.size(), QStringLiteral("5－9="));
    text.replace(text.lastIndexOf(last), last.size(), QStringLiteral("12＋35－20="));
    const auto after = PracticeSheetsOf(text);
    ASSERT_EQ(after.size(), 2u);
    EXPECT_EQ(after[0].problems, before[0].problems);
    EXPECT_EQ(after[1].problems[0], (practice::Problem{"7＋8=", 15}));
    EXPECT_EQ(after[1].problems[3], (practice::Problem{"5－9=", -1}));
    EXPECT_EQ(after[1].problems[99], (practice::Problem{"12＋35－20=", 27}));

    practice::Session session(after[1].problems);
    for (std::size_t i = 0; i < 100; ++i) session.SetAnswer(i, std::to_string(std::max(0, after[1].problems[i].value)), 0);
    const auto& result = session.HandIn(1);
    EXPECT_EQ(result.asked, 99);
    EXPECT_EQ(result.right, 99);
}

TEST(PracticeSheetsEdited, APartOutOfFormIsNotOffered) {
    QString text = Generated(99, 3, u"易");
    // Sheet 2 loses a row: not a sheet to answer on screen any more; 1 and 3 still are.
    const int second = text.indexOf(QStringLiteral("100道口算题"), 20);
    const int rowStart = text.indexOf(QStringLiteral("\r\n"), text.indexOf(QStringLiteral("\r\n"), second) + 2) + 2;
    text.remove(rowStart, text.indexOf(QStringLiteral("\r\n"), rowStart) + 2 - rowStart);
    const auto sheets = PracticeSheetsOf(text);
    ASSERT_EQ(sheets.size(), 2u);
    EXPECT_EQ(sheets[0].number, 1);
    EXPECT_EQ(sheets[1].number, 3);
    EXPECT_TRUE(PracticeSheetsOf(QString()).empty());
}

TEST(PracticeSheetPlaces, PlacesFollowThePrintedRows) {
    EXPECT_EQ(PlaceOf(0).row, 0);
    EXPECT_EQ(PlaceOf(4).column, 4);
    EXPECT_EQ(PlaceOf(79).row, 15);
    EXPECT_EQ(PlaceOf(80).row, 16);
    EXPECT_EQ(PlaceOf(80).column, 0);
    EXPECT_EQ(PlaceOf(99).row, 20);
    EXPECT_EQ(PlaceOf(99).column, 3);
}
