// The picture buttons: routing from captions to faces, hover and press looks, and the
// help, start, clear, copy and exit commands.
#include <QClipboard>

#include "WindowFixture.h"

namespace {
const QColor kBlack(0, 0, 0), kMaroon(128, 0, 0), kLightGreen(128, 255, 128), kGreen(0, 255, 0), kRed(255, 0, 0);
}

class CommandButtonsTest : public QObject, public WindowFixture {
    Q_OBJECT

    bool highlighted(int i) const {
        return face(i)->picture().cacheKey() == find<QLabel>(QStringLiteral("Image2"))->pixmap().cacheKey();
    }
    int sheetsInBox() const { return static_cast<int>(text2()->text().count(QChar(u'题'))); }

private slots:
    void init() { open(); }
    void cleanup() { close(); }

    void hoverHighlightsOneFace_data() {
        QTest::addColumn<int>("index");
        for (int i : {0, 3, 8}) QTest::addRow("face %d", i) << i;
    }
    void hoverHighlightsOneFace() {
        QFETCH(int, index);
        moveOver(face(index), faceOnly(index));
        for (int k = 0; k < 9; ++k) {
            QCOMPARE(highlighted(k), k == index);
            QCOMPARE(label(k)->font().bold(), k == index);
            // Caption 3 is light green after every hover, its own included.
            QCOMPARE(label(k)->textColor(), k == 3 ? kLightGreen : k == index ? kMaroon : kBlack);
        }
    }

    void captionsAndDisabledButtonsIgnoreTheMouse() {
        moveOver(face(0), faceOnly(0));
        moveOver(label(2));  // a caption has no movement handling
        moveOver(face(5), faceOnly(5));  // the export button is disabled at start
        QVERIFY(highlighted(0) && !highlighted(2) && !highlighted(5));
        press(face(5), Qt::LeftButton, faceOnly(5));
        release(face(5), Qt::LeftButton, faceOnly(5));
        click(label(5));
        QVERIFY(!face(5)->hasBorder());
        QVERIFY(writer->calls.empty());
    }

    void pressBordersUntilAnyMovement() {
        for (int i : {4, 6, 7}) {
            press(face(i), Qt::LeftButton, faceOnly(i));
            release(face(i), Qt::LeftButton, faceOnly(i));  // releasing does not end the look
            QVERIFY(face(i)->hasBorder());
            moveOver(face(0), faceOnly(0));  // the slightest movement over any face does
            QVERIFY(!face(i)->hasBorder());
        }
        // Dragging away from a pressed face moves over it first (it holds the mouse), which
        // ends the look; released elsewhere, the press is no click: no exit.
        press(face(8), Qt::LeftButton, faceOnly(8));
        QVERIFY(face(8)->hasBorder());
        moveOver(face(0), faceOnly(0));
        QVERIFY(!face(8)->hasBorder());
        release(face(0), Qt::LeftButton, faceOnly(0));
        QVERIFY(form->isVisible());
        press(label(6));  // the press look changes neither picture nor caption
        QVERIFY(face(6)->hasBorder() && !highlighted(6));
        QCOMPARE(label(6)->textColor(), kBlack);
    }

    void startPressSetsTheWaitingStatusWithAnyButton() {
        press(label(4), Qt::RightButton);
        QCOMPARE(label(12)->text(), QStringLiteral("请稍等出题中......"));
        QCOMPARE(label(12)->textColor(), kRed);
        QVERIFY(face(4)->hasBorder());
        QVERIFY(text2()->text().isEmpty());  // a press is no click
    }

    void helpBoxOnPressNotClick() {
        press(face(3), Qt::LeftButton, faceOnly(3));
        QCOMPARE(boxes.size(), std::size_t{1});
        QCOMPARE(boxes[0].title, QStringLiteral("帮助"));
        QCOMPARE(boxes[0].icon, QMessageBox::Warning);
        QCOMPARE(boxes[0].text, Form1::kHelpText + QStringLiteral("\r\n") + Form1::kContactLine);
        // The contact line names the program and its version, and no address nobody reads.
        QVERIFY(Form1::kContactLine.contains(QStringLiteral("Pellarin")) &&
                Form1::kContactLine.contains(QStringLiteral(PELLARIN_VERSION)));
        QVERIFY(!Form1::kContactLine.contains(QLatin1Char('@')) && !Form1::kContactLine.contains(QStringLiteral("www")) &&
                !Form1::kContactLine.contains(QStringLiteral("http")));
        QVERIFY(!face(3)->hasBorder());
        release(face(3), Qt::LeftButton, faceOnly(3));
        click(label(3));
        QCOMPARE(boxes.size(), std::size_t{2});  // the caption's press, passed on
    }

    void startRunsAndConsecutiveRunsReplace() {
        text1(2)->setText(QStringLiteral("3"));
        click(label(4));
        QCOMPARE(sheetsInBox(), 3);
        QCOMPARE(label(10)->text(), QStringLiteral("3"));
        QCOMPARE(label(12)->text(), QStringLiteral("出题完毕！！！"));
        QCOMPARE(label(12)->textColor(), kGreen);
        QVERIFY(face(4)->isEnabled() && label(4)->isEnabled() && face(5)->isEnabled() && label(5)->isEnabled());
        QCOMPARE(text2()->text().count(QStringLiteral("\r\n")), 66);
        text1(2)->setText(QStringLiteral("3.5"));  // halves to even
        clickFace(4);
        QCOMPARE(sheetsInBox(), 4);
        QCOMPARE(label(10)->text(), QStringLiteral("4"));
        QVERIFY(boxes.empty());
    }

    // An empty count, like zero, a negative count or an unknown difficulty, makes no sheets.
    void runThatProducesNothing() {
        text2()->setText(QStringLiteral("old text"));
        text1(2)->setText(QString());
        clickFace(4);
        QVERIFY(text2()->text().isEmpty());
        QCOMPARE(label(10)->text(), QStringLiteral("0"));
        QCOMPARE(label(12)->text(), QStringLiteral("出题完毕！！！"));
        QVERIFY(face(5)->isEnabled());
        QVERIFY(boxes.empty());
    }

    void refusedRunsKeepEverything_data() {
        QTest::addColumn<QString>("limit");
        QTest::addColumn<QString>("sheets");
        QTest::addColumn<QString>("mentions");
        QTest::newRow("too few problems") << "25" << "40" << "32";
        QTest::newRow("limit beyond 16 bits") << "-40000" << "40" << "多少以内的加减法";
        QTest::newRow("count beyond 16 bits") << "99" << "-1e999" << "试卷份数";
    }
    void refusedRunsKeepEverything() {
        QFETCH(QString, limit);
        QFETCH(QString, sheets);
        QFETCH(QString, mentions);
        combo()->setEditText(QStringLiteral("难"));
        text1(2)->setText(QStringLiteral("1"));
        clickFace(4);  // a good run first
        const QString before = text2()->text();
        clickFace(5);  // and its export: the button is now off
        text1(0)->setText(limit);
        text1(2)->setText(sheets);
        click(label(4));
        QCOMPARE(boxes.size(), std::size_t{1});
        QCOMPARE(boxes[0].title, QStringLiteral("数据错误"));
        QVERIFY2(boxes[0].text.contains(mentions), qPrintable(boxes[0].text));
        QCOMPARE(text2()->text(), before);
        QCOMPARE(label(10)->text(), QStringLiteral("1"));
        QVERIFY(!face(5)->isEnabled());
        QVERIFY(face(4)->isEnabled() && label(4)->isEnabled());
        QVERIFY(label(12)->text() != QStringLiteral("出题完毕！！！"));
    }

    void clearSetsItsOwnValues() {
        clickFace(4);
        clickFace(6);
        QCOMPARE(text1(0)->text(), QStringLiteral("99"));
        QCOMPARE(text1(2)->text(), QStringLiteral("1"));  // not the 40 of loading
        QVERIFY(text2()->text().isEmpty());
        QVERIFY(label(10)->text().isEmpty());              // not the 0 of loading
        QVERIFY(label(12)->text().isEmpty());
        QVERIFY(face(4)->isEnabled() && !face(5)->isEnabled() && !label(5)->isEnabled());
        QVERIFY(boxes.empty());
    }

    void copyPutsTheBoxTextIncludingEdits() {
        clickFace(4);
        text2()->setFocus();
        text2()->moveCursor(QTextCursor::End);
        type(QStringLiteral("added"));
        const QString edited = text2()->text();
        click(label(7));
        QTRY_COMPARE(QGuiApplication::clipboard()->text(), edited);
        clickFace(6);
        clickFace(7);  // an empty box still empties the clipboard
        QTRY_VERIFY(QGuiApplication::clipboard()->text().isEmpty());
        QVERIFY(boxes.empty());
    }

    void countersFacesZeroToTwoDoNothing() {
        for (int i : {0, 1, 2, 9, 10, 11, 12}) click(label(i));
        for (int i : {0, 1, 2}) clickFace(i);
        QVERIFY(text2()->text().isEmpty());
        QVERIFY(boxes.empty() && form->isVisible());
    }

    void exitClosesTheWindow() {
        clickFace(8);
        QVERIFY(!form->isVisible());
        open();
        click(label(8));
        QVERIFY(!form->isVisible());
    }
};

QTEST_MAIN(CommandButtonsTest)
#include "CommandButtonsTest.moc"
