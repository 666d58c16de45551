// The checks of the settings as they are typed, pasted or set.
#include <QClipboard>
#include <QInputMethodEvent>

#include "WindowFixture.h"

namespace {
const QString kLimitTooLarge = QStringLiteral("由于版面问题，出口算题应不大于100，如有特殊要求请联系作者！");
const QString kSheetsTooMany =
    QStringLiteral("最多一次出60份试卷，差不多够了吧？O(∩_∩)O~，如有特殊要求请联系作者！");
const QString kLimitTooSmall = QStringLiteral("小于20的不重复出题100道，太难了吧？如有特殊要求请联系作者！");
const QString kBadDifficulty = QStringLiteral("难易选择有错，请从“难*中*易”三种选择中任选一样！");
}  // namespace

class InputValidationTest : public QObject, public WindowFixture {
    Q_OBJECT

    void emptyBox(NumericBox* box) {
        box->setFocus();
        box->selectAll();
        key(Qt::Key_Backspace);
        QVERIFY(box->text().isEmpty());
    }
    // Pasting through the context menu's action: the clipboard's text, unfiltered.
    void paste(QLineEdit* box, const QString& text) {
        QGuiApplication::clipboard()->setText(text);
        box->selectAll();
        box->paste();
    }

private slots:
    void init() { open(); }
    void cleanup() { close(); }

    void typingOneHundredIsRefusedAfterTheThirdKey() {
        emptyBox(text1(0));
        type(QStringLiteral("10"));
        QVERIFY(boxes.empty());
        QCOMPARE(text1(0)->text(), QStringLiteral("10"));
        type(QStringLiteral("0"));
        QCOMPARE(boxTexts(), QStringList{kLimitTooLarge});
        QCOMPARE(boxes[0].title, QStringLiteral("数据错误"));
        QCOMPARE(boxes[0].icon, QMessageBox::Warning);
        QCOMPARE(text1(0)->text(), QStringLiteral("99"));
    }

    void sheetCountAboveSixty() {
        text1(2)->setFocus();
        emptyBox(text1(2));
        type(QStringLiteral("60"));
        QVERIFY(boxes.empty());
        emptyBox(text1(2));
        type(QStringLiteral("6"));
        type(QStringLiteral("1"));
        QCOMPARE(boxTexts(), QStringList{kSheetsTooMany});
        QCOMPARE(text1(2)->text(), QStringLiteral("40"));
        emptyBox(text1(2));
        type(QStringLiteral("0"));
        QCOMPARE(boxes.size(), std::size_t{1});  // 0 and empty have no lower bound
    }

    void discardedKeys_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("modifiers");
        QTest::newRow("slash") << int(Qt::Key_Slash) << "/" << 0;
        QTest::newRow("full stop") << int(Qt::Key_Period) << "." << 0;
        QTest::newRow("minus") << int(Qt::Key_Minus) << "-" << 0;
        QTest::newRow("letter") << int(Qt::Key_A) << "a" << 0;
        QTest::newRow("space") << int(Qt::Key_Space) << " " << 0;
        QTest::newRow("enter") << int(Qt::Key_Return) << "\r" << 0;
        QTest::newRow("chinese") << 0 << "中" << 0;
        QTest::newRow("full-width digit") << 0 << "１" << 0;
        QTest::newRow("ctrl+v") << int(Qt::Key_V) << "\x16" << int(Qt::ControlModifier);
        QTest::newRow("ctrl+x") << int(Qt::Key_X) << "\x18" << int(Qt::ControlModifier);
        QTest::newRow("ctrl+c") << int(Qt::Key_C) << "\x03" << int(Qt::ControlModifier);
    }
    void discardedKeys() {
        QFETCH(int, key);
        QFETCH(QString, text);
        QFETCH(int, modifiers);
        QGuiApplication::clipboard()->setText(QStringLiteral("55"));
        for (NumericBox* box : {text1(0), text1(2)}) {
            box->setFocus();
            box->setText(QStringLiteral("42"));
            box->setCursorPosition(1);
            QTest::sendKeyEvent(QTest::Click, box, Qt::Key(key), text, Qt::KeyboardModifiers(modifiers));
            QCOMPARE(box->text(), QStringLiteral("42"));
        }
        QVERIFY(boxes.empty());
    }

    void editingKeysKeepWorking() {
        text1(0)->setFocus();
        text1(0)->setText(QStringLiteral("45"));
        text1(0)->setCursorPosition(2);
        key(Qt::Key_Left);
        key(Qt::Key_Delete);
        QCOMPARE(text1(0)->text(), QStringLiteral("4"));
        key(Qt::Key_Home);
        type(QStringLiteral("3"));
        QCOMPARE(text1(0)->text(), QStringLiteral("34"));
        key(Qt::Key_End);
        key(Qt::Key_Backspace);
        QCOMPARE(text1(0)->text(), QStringLiteral("3"));
    }

    void inputMethodTextIsFiltered() {
        text1(0)->setFocus();
        text1(0)->setText(QStringLiteral("2"));
        text1(0)->setCursorPosition(1);
        QInputMethodEvent chinese;
        chinese.setCommitString(QStringLiteral("中文"));
        QApplication::sendEvent(text1(0), &chinese);
        QCOMPARE(text1(0)->text(), QStringLiteral("2"));
        QInputMethodEvent mixed;
        mixed.setCommitString(QStringLiteral("五5１"));
        QApplication::sendEvent(text1(0), &mixed);
        QCOMPARE(text1(0)->text(), QStringLiteral("25"));
        QVERIFY(boxes.empty());
    }

    void pastedTextIsNotFilteredButChecked() {
        paste(text1(0), QStringLiteral("12ab"));
        QCOMPARE(text1(0)->text(), QStringLiteral("12ab"));  // reads as 12, passes
        QVERIFY(boxes.empty());
        paste(text1(0), QStringLiteral("99.5"));
        QCOMPARE(boxTexts(), QStringList{kLimitTooLarge});
        QCOMPARE(text1(0)->text(), QStringLiteral("99"));
        paste(text1(2), QStringLiteral("1e999"));  // beyond a double: refused, no crash
        QCOMPARE(boxes.size(), std::size_t{2});
        QCOMPARE(text1(2)->text(), QStringLiteral("40"));
    }

    void lowLimitIsRefusedWhenLeaving_data() {
        QTest::addColumn<QString>("limit");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<QString>("how");
        QTest::newRow("19, tab") << "19" << true << "tab";
        QTest::newRow("19, shift+tab") << "19" << true << "backtab";
        QTest::newRow("19, click into the output box") << "19" << true << "click";
        QTest::newRow("20, tab") << "20" << false << "tab";
        QTest::newRow("emptied, tab") << "" << true << "tab";
    }
    void lowLimitIsRefusedWhenLeaving() {
        QFETCH(QString, limit);
        QFETCH(bool, refused);
        QFETCH(QString, how);
        emptyBox(text1(0));
        type(limit);
        QVERIFY(boxes.empty());
        if (how == QLatin1String("tab")) key(Qt::Key_Tab);
        if (how == QLatin1String("backtab")) key(Qt::Key_Backtab, Qt::ShiftModifier);
        if (how == QLatin1String("click")) click(text2());
        QVERIFY(QApplication::focusWidget() != text1(0));
        QCOMPARE(boxTexts(), refused ? QStringList{kLimitTooSmall} : QStringList{});
        QCOMPARE(text1(0)->text(), refused ? QStringLiteral("99") : limit);
    }

    void leavingTheSheetCountBoxChecksTheLimit() {
        text1(0)->setText(QStringLiteral("15"));  // pasted or set without leaving the box
        text1(2)->setFocus();
        QCOMPARE(boxes.size(), std::size_t{1});   // setting the focus there left Text1_0
        QCOMPARE(text1(0)->text(), QStringLiteral("99"));
        key(Qt::Key_Tab);
        QCOMPARE(boxes.size(), std::size_t{1});   // with a valid limit nothing happens
    }

    // The box of the warning itself takes the focus, and the window loses it: neither is
    // a move to another control, so there is exactly one warning.
    void realWarningBoxDoesNotWarnTwice() {
        MessageBox::SetTestHook(nullptr);
        ModalCloser closer;
        emptyBox(text1(0));
        type(QStringLiteral("19"));
        key(Qt::Key_Tab);
        QCOMPARE(closer.texts, QStringList{kLimitTooSmall});
        QCOMPARE(closer.titles, QStringList{QStringLiteral("数据错误")});
        QCOMPARE(text1(0)->text(), QStringLiteral("99"));
        form->activateWindow();  // the closed box hands the activation back
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        QCOMPARE(closer.texts.size(), 1);
        emptyBox(text1(0));
        type(QStringLiteral("100"));
        QCOMPARE(closer.texts.size(), 2);
        QCOMPARE(closer.texts.last(), kLimitTooLarge);
        QCOMPARE(text1(0)->text(), QStringLiteral("99"));
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        QCOMPARE(QApplication::focusWidget(), text1(0));
        QCOMPARE(closer.texts.size(), 2);
    }

    void smallLimitReachesTheRunWithoutHanging() {
        emptyBox(text1(0));
        type(QStringLiteral("5"));
        clickFace(4);  // faces take no focus: no lower-bound check
        QCOMPARE(QApplication::focusWidget(), text1(0));
        QCOMPARE(boxes.size(), std::size_t{1});
        QCOMPARE(boxes[0].title, QStringLiteral("数据错误"));
        QVERIFY(boxes[0].text.contains(QStringLiteral("12")));  // Medium's smallest limit
        QVERIFY(face(4)->isEnabled());
        QCOMPARE(text1(0)->text(), QStringLiteral("5"));
    }

    void difficultyChecks() {
        QLineEdit* edit = combo()->lineEdit();
        edit->setFocus();
        edit->selectAll();
        key(Qt::Key_Backspace);
        QCOMPARE(boxTexts(), QStringList{kBadDifficulty});  // the empty text, at once
        QInputMethodEvent chinese;
        chinese.setCommitString(QStringLiteral("中"));
        QApplication::sendEvent(edit, &chinese);
        QCOMPARE(combo()->currentText(), QStringLiteral("中"));
        QCOMPARE(boxes.size(), std::size_t{1});
        type(QStringLiteral(" "));
        QCOMPARE(boxes.size(), std::size_t{2});
        QCOMPARE(combo()->currentText(), QStringLiteral("中 "));  // refused but left as it is
        key(Qt::Key_Backspace);
        QCOMPARE(boxes.size(), std::size_t{2});
        combo()->setCurrentIndex(2);  // choosing from the list runs no check
        QCOMPARE(combo()->currentText(), QStringLiteral("易"));
        QCOMPARE(boxes.size(), std::size_t{2});
        key(Qt::Key_Return);  // Enter adds nothing to the list
        QCOMPARE(combo()->count(), 3);
    }

    // Whatever lands in the boxes, a click on start ends with a run or a clear refusal.
    void hostileTextsNeitherCrashNorHang() {
        const QStringList hostile = {QString(5000, QLatin1Char('9')), QStringLiteral("1e999"),
                                     QStringLiteral("-1e999"), QStringLiteral("nan"), QStringLiteral("inf"),
                                     QStringLiteral("-40000"), QStringLiteral("0x10"), QStringLiteral("１２"),
                                     QString(), QStringLiteral("-0"), QStringLiteral("  7 . 5 "),
                                     QStringLiteral("1e-999"), QStringLiteral("32767.5")};
        for (const QString& limit : hostile) {
            for (const QString& sheets : hostile) {
                paste(text1(0), limit);
                paste(text1(2), sheets);
                const std::size_t before = boxes.size();
                clickFace(4);
                QVERIFY(face(4)->isEnabled());
                const bool refused = boxes.size() > before;
                QVERIFY(refused || label(12)->text() == QStringLiteral("出题完毕！！！"));
                if (refused) QCOMPARE(boxes.back().title, QStringLiteral("数据错误"));
            }
        }
    }
};

QTEST_MAIN(InputValidationTest)
#include "InputValidationTest.moc"
