// The window under the font set-up it is run with (the build registers it once per set-up):
// the sheets' columns line up in the output box and no caption glyph is cut, whichever CJK
// faces the machine has.
#include <QFontInfo>
#include <QRegularExpression>
#include <QTextBlock>

#include "WindowFixture.h"
#include "fonts/Fonts.h"

class FontsTest : public QObject, public WindowFixture {
    Q_OBJECT

    // The x of the start of each cell of a row of the box.
    QList<int> cellStarts(const QTextBlock& block, int cellWidth, int cells) {
        QList<int> xs;
        for (int i = 0; i < cells; ++i) {
            QTextCursor cursor(block);
            cursor.setPosition(block.position() + i * cellWidth);
            xs << text2()->cursorRect(cursor).x();
        }
        return xs;
    }

private slots:
    void init() { open(); }
    void cleanup() { close(); }

    void outputBoxFaceHasEvenColumns() {
        const QString family = QFontInfo(text2()->font()).family();
        QVERIFY2(fonts::HasEvenColumns(family), qPrintable(family));
    }

    void sheetsLineUpInTheOutputBox_data() {
        QTest::addColumn<QString>("difficulty");
        QTest::newRow("Medium") << QStringLiteral("中");  // one-digit operands: padded cells
        QTest::newRow("Hard") << QStringLiteral("难");    // two digits: the first rows line up too
    }
    void sheetsLineUpInTheOutputBox() {
        QFETCH(QString, difficulty);
        combo()->setEditText(difficulty);
        text1(2)->setText(QStringLiteral("5"));
        clickFace(4);
        const QRegularExpression twoOperand(QStringLiteral("^(\\d+[＋－]\\d+= *){5}$"));
        const QRegularExpression chained(QStringLiteral("^(\\d+[＋－]\\d+[＋－]\\d+= *){4}$"));
        QMap<QString, QList<int>> reference;
        int rows = 0;
        bool firstRow = false;
        for (QTextBlock block = text2()->document()->begin(); block.isValid(); block = block.next()) {
            const QString line = block.text();
            const bool afterHeading = firstRow;
            firstRow = line.startsWith(QStringLiteral("班级:"));
            // A sheet's first row starts narrower where its first problem is short (Medium).
            const bool skip = afterHeading && difficulty == QStringLiteral("中");
            QString kind;
            QList<int> xs;
            if (twoOperand.match(line).hasMatch() && !skip) {
                kind = QStringLiteral("two-operand");
                xs = cellStarts(block, 10, 5);
            } else if (chained.match(line).hasMatch()) {
                kind = QStringLiteral("chained");
                xs = cellStarts(block, 12, 4);
            } else {
                continue;
            }
            ++rows;
            const QList<int>& expected = reference.contains(kind) ? reference[kind] : (reference[kind] = xs);
            for (int i = 0; i < xs.size(); ++i) {
                QVERIFY2(qAbs(xs[i] - expected[i]) <= 1,
                         qPrintable(QStringLiteral("%1 row %2: cell %3 at %4, not %5")
                                        .arg(kind, line).arg(i).arg(xs[i]).arg(expected[i])));
            }
        }
        // Every sheet's chained rows; the last sheet's last row has no next title beside it.
        QCOMPARE(rows, 5 * (difficulty == QStringLiteral("中") ? 15 + 4 : 16 + 4) + 1);
        // Cells are laid out side by side: a column a cell's width to the right of the last.
        QVERIFY(reference[QStringLiteral("two-operand")][1] > reference[QStringLiteral("two-operand")][0]);
    }

    void captionsAreDrawnWhole() {
        for (int i = 0; i < 13; ++i) {
            CaptionLabel* caption = label(i);
            if (caption->text().isEmpty()) caption->setText(QStringLiteral("出题完毕！！！"));
            for (bool bold : {false, true}) {  // hovered captions are bold
                caption->setBold(bold);
                const CaptionLabel::TextPlacement where = caption->placement();
                const QRect ink = QFontMetrics(where.font).tightBoundingRect(caption->text());
                QVERIFY2(caption->rect().contains(ink.translated(where.baselineStart)),
                         qPrintable(QStringLiteral("%1 %2: %3 at %4 in %5")
                                        .arg(caption->objectName(), caption->text())
                                        .arg(ink.height())
                                        .arg(where.baselineStart.y())
                                        .arg(caption->height())));
            }
        }
    }

    // A picture of the window after a run, under the set-up that asks for one.
    void screenshotAfterARun() {
        const QByteArray path = qgetenv("PELLARIN_SCREENSHOT");
        if (path.isEmpty()) QSKIP("this font set-up saves no screenshot");
        text1(2)->setText(QStringLiteral("3"));
        clickFace(4);
        moveOver(face(4));
        QVERIFY(form->grab().save(QString::fromLocal8Bit(path)));
    }
};

QTEST_MAIN(FontsTest)
#include "FontsTest.moc"
