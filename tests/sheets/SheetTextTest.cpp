// Reading the output box's text back into sheets for paper, and working out the answers.
#include <gtest/gtest.h>

#include <QRegularExpression>
#include <random>

#include "generator/BuildSheets.h"
#include "sheets/SheetText.h"

namespace {

QString Sheets(int sheets, std::u16string_view difficulty = u"中", std::uint64_t seed = 9) {
    pellarin::RandomSource source(seed, [] { return pellarin::ClockReading{0}; });
    return QString::fromStdU16String(pellarin::BuildSheets(source, 99, sheets, difficulty).outputText);
}

QStringList Words(const QString& text) { return text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts); }

// Every word a reading keeps, in order: what goes on paper.
QStringList Words(const std::vector<sheet_text::Section>& sections) {
    QStringList words;
    for (const auto& s : sections) {
        if (s.inForm) {
            words << Words(s.titleLine) << Words(s.headingLine);
            for (const QStringList& row : s.rows) words << row;
        } else {
            for (const QString& line : s.lines) words << Words(line);
        }
    }
    return words;
}

}  // namespace

TEST(SheetText, ARunReadsAsSheetsOfRowsWithTheLastRowKeptFromTheNextTitle) {
    const QString text = Sheets(3);
    const auto sections = sheet_text::Read(text);
    ASSERT_EQ(sections.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        const auto& sheet = sections[i];
        EXPECT_EQ(sheet.sheet, i + 1);
        ASSERT_TRUE(sheet.inForm);
        EXPECT_TRUE(sheet.titleLine.startsWith(QString(10, QLatin1Char(' ')) + QStringLiteral("100道")));
        EXPECT_TRUE(sheet.headingLine.startsWith(QStringLiteral("班级:")));
        ASSERT_EQ(sheet.rows.size(), 21u);
        for (int r = 0; r < 21; ++r) EXPECT_EQ(sheet.rows[r].size(), r < 16 ? 5 : 4);
    }
    EXPECT_EQ(Words(sections), Words(text));
}

TEST(SheetText, EditedPartsAreKeptLineByLine) {
    const QString text = Sheets(2);
    QStringList lines = text.split(QStringLiteral("\r\n"));
    lines.removeAt(30);                                   // a row of sheet 2
    lines.prepend(QStringLiteral("三年级二班  第一周"));  // a note before the first sheet
    const auto sections = sheet_text::Read(lines.join(QStringLiteral("\r\n")));
    ASSERT_EQ(sections.size(), 3u);
    EXPECT_EQ(sections[0].sheet, 0);
    EXPECT_EQ(sections[0].lines, QStringList{QStringLiteral("三年级二班  第一周")});
    EXPECT_TRUE(sections[1].inForm);
    EXPECT_FALSE(sections[2].inForm);
    EXPECT_EQ(sections[2].lines.size(), 22);  // title, heading, 20 remaining rows
    EXPECT_TRUE(sheet_text::Read(QString()).empty());
    EXPECT_TRUE(sheet_text::Read(QStringLiteral("\r\n  \r\n")).empty());
}

// Whatever the user cuts out of the text, every character left in it is still printed, in
// order (a cut may join a row to the next title: they are printed apart).
TEST(SheetText, NoWordIsEverDropped) {
    const QString text = Sheets(3, u"难", 4);
    std::mt19937 random(77);
    for (int round = 0; round < 300; ++round) {
        QString edited = text;
        for (int cuts = 0; cuts < 3; ++cuts) {
            const int at = std::uniform_int_distribution<int>(0, static_cast<int>(edited.size()) - 1)(random);
            const int length = std::uniform_int_distribution<int>(0, 80)(random);
            edited.remove(at, length);
        }
        ASSERT_EQ(Words(sheet_text::Read(edited)).join(QString()), Words(edited).join(QString())) << "round " << round;
    }
}

TEST(SheetText, ProblemsAreWorkedLeftToRight) {
    EXPECT_EQ(sheet_text::Evaluate(u"37＋8="), 45);
    EXPECT_EQ(sheet_text::Evaluate(u"52－18＋21="), 55);
    EXPECT_EQ(sheet_text::Evaluate(u"90－30－15="), 45);  // (90 − 30) − 15, not 90 − (30 − 15)
    EXPECT_EQ(sheet_text::Evaluate(u"3－5="), -2);         // an edited problem gets its own answer
    EXPECT_EQ(sheet_text::Evaluate(u"12+7-4="), 15);
    for (const char16_t* unreadable : {u"37＋8", u"＋8=", u"1＋＋2=", u"a＋1=", u"1＋2＋3＋4=", u"1234567890＋1=", u""}) {
        EXPECT_FALSE(sheet_text::Evaluate(unreadable).has_value()) << QString::fromUtf16(unreadable).toStdString();
    }
}

// Lines that are not sheets are wrapped for paper: never inside a character as the reader sees
// it, at a space where there is one, with TABs worth the columns they are drawn at.
TEST(SheetText, WrappingKeepsCharactersAndWordsWhole) {
    // A character outside the first plane at the wrap point stays whole.
    const QString astral = QString(9, QLatin1Char('a')) + QStringLiteral("😀𠮷b");
    const QStringList pieces = sheet_text::Wrap(astral, 10);
    EXPECT_EQ(pieces, (QStringList{QString(9, QLatin1Char('a')), QStringLiteral("😀𠮷b")}));
    EXPECT_EQ(sheet_text::Columns(u"😀"), 2);
    EXPECT_EQ(sheet_text::Columns(u"e\u0301"), 1);  // e and a combining acute: one column
    EXPECT_EQ(sheet_text::Wrap(QStringLiteral("abcdefghie\u0301"), 10).size(), 1);

    // Problems stay whole: the break is after the space before the one that does not fit.
    const QString problems = QStringLiteral("95－30=65 12＋34=46 7＋8=15");
    EXPECT_EQ(sheet_text::Wrap(problems, 16), (QStringList{QStringLiteral("95－30=65 "), QStringLiteral("12＋34=46 "),
                                                           QStringLiteral("7＋8=15")}));
    // A word longer than the line is cut where it must be.
    EXPECT_EQ(sheet_text::Wrap(QString(25, QLatin1Char('x')), 10).size(), 3);

    EXPECT_EQ(sheet_text::ExpandTabs(u"a\tb c"), QStringLiteral("a       b c"));
    EXPECT_EQ(sheet_text::ExpandTabs(u"题\t1"), QStringLiteral("题      1"));  // 2 columns, then 6 spaces

    // Whatever the line, the pieces put together are the line, and none is wider than asked
    // unless it is a single character.
    std::mt19937 random(5);
    const QStringList parts{QStringLiteral("题"), QStringLiteral(" "), QStringLiteral("7"), QStringLiteral("😀"),
                            QStringLiteral("e\u0301"), QStringLiteral("＋"), QStringLiteral("é"), QStringLiteral("word ")};
    for (int round = 0; round < 200; ++round) {
        QString line;
        while (sheet_text::Columns(line) < 300) line += parts[std::uniform_int_distribution<int>(0, 7)(random)];
        const int width = std::uniform_int_distribution<int>(4, 80)(random);
        const QStringList wrapped = sheet_text::Wrap(line, width);
        ASSERT_EQ(wrapped.join(QString()), line) << "round " << round;
        for (const QString& piece : wrapped) {
            EXPECT_FALSE(piece.isEmpty());
            EXPECT_FALSE(piece.back().isHighSurrogate());
            if (sheet_text::Columns(piece.trimmed()) > width) {
                EXPECT_LE(piece.trimmed().size(), 2) << "round " << round << " width " << width << ": "
                                                     << piece.toStdString();
            }
        }
    }
}
