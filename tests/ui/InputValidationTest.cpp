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

    void emptyBox(QLineEdit* box) {
        box->setFocus();
        box->selectAll();
        key(Qt::Key_Backspace);
    }
    // Pasting through the context menu's action: the clipboard's text, unfiltered.
    void paste(QLineEdit* box, const QString& text) {
        QGuiApplication::clipboard()->setText(text);
        box->selectAll();
        box->paste();
    }
    void commit(QWidget* box, const QString& text) {
        QInputMethodEvent event;
        event.setCommitString(text);
        QApplication::sendEvent(box, &event);
    }

private slots:
    void init() { open(); }
    void cleanup() { close(); }

    void upperBoundsWhileTyping() {
        emptyBox(text1(0));
        type(QStringLiteral("10"));
        QVERIFY(boxes.empty());
        type(QStringLiteral("0"));  // the third key
        QCOMPARE(boxTexts(), QStringList{kLimitTooLarge});
        QCOMPARE(boxes[0].title, QStringLiteral("数据错误"));
        QCOMPARE(boxes[0].icon, QMessageBox::Warning);
        QCOMPARE(text1(0)->text(), QStringLiteral("99"));
        emptyBox(text1(2));
        type(QStringLiteral("60"));
        QCOMPARE(boxes.size(), std::size_t{1});
        emptyBox(text1(2));
        type(QStringLiteral("61"));
        QCOMPARE(boxTexts().last(), kSheetsTooMany);
        QCOMPARE(text1(2)->text(), QStringLiteral("40"));
    }

    void discardedKeys_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("modifiers");
        QTest::newRow("full stop") << int(Qt::Key_Period) << "." << 0;
        QTest::newRow("minus") << int(Qt::Key_Minus) << "-" << 0;
        QTest::newRow("letter") << int(Qt::Key_A) << "a" << 0;
        QTest::newRow("chinese") << 0 << "中" << 0;
        QTest::newRow("ctrl+v") << int(Qt::Key_V) << "\x16" << int(Qt::ControlModifier);
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

    void editingKeysAndInputMethods() {
        text1(0)->setText(QStringLiteral("45"));
        key(Qt::Key_Left);
        key(Qt::Key_Delete);
        key(Qt::Key_Home);
        type(QStringLiteral("3"));
        QCOMPARE(text1(0)->text(), QStringLiteral("34"));
        key(Qt::Key_End);
        key(Qt::Key_Backspace);
        commit(text1(0), QStringLiteral("中文"));
        commit(text1(0), QStringLiteral("五5１"));  // only the ASCII digit gets through
        QCOMPARE(text1(0)->text(), QStringLiteral("35"));
        QCOMPARE(boxTexts(), QStringList{});
    }

    void pastedTextIsNotFilteredButChecked() {
        paste(text1(0), QStringLiteral("12ab"));
        QCOMPARE(text1(0)->text(), QStringLiteral("12ab"));  // reads as 12, passes
        QVERIFY(boxes.empty());
        paste(text1(0), QStringLiteral("99.5"));
        QCOMPARE(boxTexts(), QStringList{kLimitTooLarge});
        QCOMPARE(text1(0)->text(), QStringLiteral("99"));
    }

    void lowLimitIsRefusedWhenLeaving_data() {
        QTest::addColumn<QString>("limit");
        QTest::addColumn<QString>("how");
        QTest::newRow("19, tab") << "19" << "tab";
        QTest::newRow("19, shift+tab") << "19" << "backtab";
        QTest::newRow("19, click into the output box") << "19" << "click";
        QTest::newRow("20, tab") << "20" << "tab";
        QTest::newRow("emptied, tab") << "" << "tab";
    }
    void lowLimitIsRefusedWhenLeaving() {
        QFETCH(QString, limit);
        QFETCH(QString, how);
        emptyBox(text1(0));
        type(limit);
        if (how == QLatin1String("tab")) key(Qt::Key_Tab);
        if (how == QLatin1String("backtab")) key(Qt::Key_Backtab, Qt::ShiftModifier);
        if (how == QLatin1String("click")) click(text2());
        QVERIFY(QApplication::focusWidget() != text1(0));
        const bool refused = limit != QLatin1String("20");
        QCOMPARE(boxTexts(), refused ? QStringList{kLimitTooSmall} : QStringList{});
        QCOMPARE(text1(0)->text(), refused ? QStringLiteral("99") : limit);
    }

    void leavingTheSheetCountBoxChecksTheLimit() {
        text1(2)->setFocus();
        text1(0)->setText(QStringLiteral("15"));  // pasted or set without entering the box
        key(Qt::Key_Tab);
        QCOMPARE(boxTexts(), QStringList{kLimitTooSmall});
        QCOMPARE(text1(0)->text(), QStringLiteral("99"));
    }

    // The box of the warning takes the focus and the window loses it: neither is a move to
    // another control, so each check warns exactly once.
    void realWarningBoxesWarnOnce() {
        MessageBox::SetTestHook(nullptr);
        ModalCloser closer;
        emptyBox(text1(0));
        type(QStringLiteral("19"));
        key(Qt::Key_Tab);
        QCOMPARE(closer.texts, QStringList{kLimitTooSmall});
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        emptyBox(text1(0));
        type(QStringLiteral("100"));
        QCOMPARE(closer.texts, (QStringList{kLimitTooSmall, kLimitTooLarge}));
        QCOMPARE(text1(0)->text(), QStringLiteral("99"));
    }

    void smallLimitReachesTheRunWithoutHanging() {
        emptyBox(text1(0));
        type(QStringLiteral("5"));
        clickFace(4);  // faces take no focus: no lower-bound check, the run refuses
        QCOMPARE(boxes.size(), std::size_t{1});
        QVERIFY(boxes[0].text.contains(QStringLiteral("12")));  // Medium's smallest limit
        QCOMPARE(text1(0)->text(), QStringLiteral("5"));
    }

    void difficultyChecks() {
        emptyBox(combo()->lineEdit());
        QCOMPARE(boxTexts(), QStringList{kBadDifficulty});  // the empty text, at once
        commit(combo()->lineEdit(), QStringLiteral("中"));
        QCOMPARE(boxes.size(), std::size_t{1});
        type(QStringLiteral(" "));
        QCOMPARE(boxes.size(), std::size_t{2});
        QCOMPARE(combo()->currentText(), QStringLiteral("中 "));  // refused but left as it is
        combo()->setCurrentIndex(2);  // choosing from the list runs no check
        key(Qt::Key_Return);          // and Enter adds nothing to the list
        QCOMPARE(boxes.size(), std::size_t{2});
        QCOMPARE(combo()->count(), 3);
    }

    // Whatever lands in the boxes, a click on start ends with a run or a clear refusal.
    void hostileTextsNeitherCrashNorHang() {
        const QStringList hostile = {QString(5000, QLatin1Char('9')), QStringLiteral("1e999"),
                                     QStringLiteral("-1e999"), QStringLiteral("nan"), QStringLiteral("inf"),
                                     QStringLiteral("-40000"), QStringLiteral("0x10"), QStringLiteral("１２"),
                                     QString(), QStringLiteral("  7 . 5 "), QStringLiteral("32767.5")};
        for (const QString& limit : hostile) {
            for (const QString& sheets : hostile) {
                paste(text1(0), limit);
                paste(text1(2), sheets);
                const std::size_t before = boxes.size();
                clickFace(4);
                QVERIFY(face(4)->isEnabled());
                QVERIFY(boxes.size() > before || label(12)->text() == QStringLiteral("出题完毕！！！"));
            }
        }
    }
};

QTEST_MAIN(InputValidationTest)
#include "InputValidationTest.moc"
