// The window from the keyboard and its menus: the difficulty box's list follows its text, its
// character is seen whole and the wheel leaves it alone unless it has the focus; every command
// has a key; Qt's own words are Chinese; the number boxes' menus show no dead shortcuts.
#include <QAbstractItemView>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QStyleOptionComboBox>
#include <QWheelEvent>

#include "WindowFixture.h"
#include "ui/ChineseTranslations.h"
#include "ui/CommandKeys.h"

class KeyboardAndMenusTest : public QObject, public WindowFixture {
    Q_OBJECT

    void wheel(QWidget* w, int steps) {
        const QPoint local(w->width() / 2, w->height() / 2);
        QWheelEvent event(local, w->mapToGlobal(local), QPoint(), QPoint(0, 120 * steps), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(w, &event);
    }

    // The menu a right click opens on a widget, still open.
    QMenu* contextMenu(QWidget* w) {
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2), w->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(w, &event);
        for (int tries = 0; tries < 100 && !QApplication::activePopupWidget(); ++tries) QTest::qWait(20);
        return qobject_cast<QMenu*>(QApplication::activePopupWidget());
    }

private slots:
    void initTestCase() { QVERIFY(InstallChineseTranslations()); }
    void init() { open(); }
    void cleanup() {
        if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
        close();
    }

    void difficultyListFollowsItsText() {
        QCOMPARE(combo()->currentIndex(), 1);  // after loading, the entry shown is 中
        combo()->setFocus();
        key(Qt::Key_Up);
        QCOMPARE(combo()->currentText(), QStringLiteral("难"));
        key(Qt::Key_Down);
        key(Qt::Key_Down);
        QCOMPARE(combo()->currentText(), QStringLiteral("易"));
        // Typed text that equals an entry makes it the current one; the opened list shows it.
        combo()->lineEdit()->selectAll();
        QInputMethodEvent typed;  // how a Chinese character arrives: from the input method
        typed.setCommitString(QStringLiteral("中"));
        QApplication::sendEvent(combo()->lineEdit(), &typed);
        QCOMPARE(combo()->currentText(), QStringLiteral("中"));
        QCOMPARE(combo()->currentIndex(), 1);
        combo()->showPopup();
        QCOMPARE(combo()->view()->currentIndex().row(), 1);
        combo()->hidePopup();
        key(Qt::Key_Down);
        QCOMPARE(combo()->currentText(), QStringLiteral("易"));
        QVERIFY(boxes.empty());  // choosing raises no check, and 中 typed passes it
    }

    void difficultyCharacterIsSeenWhole() {
        QCOMPARE(combo()->geometry(), QRect(240, 40, 41, 28));  // 3600, 600, 615, 420 twips
        QStyleOptionComboBox option;
        option.initFrom(combo());
        option.editable = true;
        const QRect arrow =
            combo()->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxArrow, combo());
        for (const QString& entry : {QStringLiteral("难"), QStringLiteral("中"), QStringLiteral("易")}) {
            combo()->setEditText(entry);
            QLineEdit* edit = combo()->lineEdit();
            // The field shows the character from its start to its end (a field too narrow
            // scrolls it, so that its start lies left of the field), and stays left of the arrow.
            auto cursorX = [edit] { return edit->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x(); };
            edit->end(false);
            const int end = cursorX();
            edit->home(false);
            const int start = cursorX();
            QVERIFY2(start >= 0 && end < edit->width() && edit->geometry().right() < arrow.left(),
                     qPrintable(QStringLiteral("%1 to %2 in %3, arrow at %4")
                                    .arg(start).arg(end).arg(edit->width()).arg(arrow.left())));
            QVERIFY(end - start + 1 >= edit->fontMetrics().horizontalAdvance(entry));
        }
    }

    void wheelChangesDifficultyOnlyWithFocus() {
        text1(0)->setFocus();
        wheel(combo(), -1);
        QCOMPARE(combo()->currentText(), QStringLiteral("中"));
        combo()->setFocus();
        wheel(combo(), -1);
        QCOMPARE(combo()->currentText(), QStringLiteral("易"));
    }

    void everyCommandHasAKeyInItsTooltip() {
        QCOMPARE(command_keys::Commands().size(), 6);
        for (const command_keys::Command& command : command_keys::Commands()) {
            const QString key = command.keys[0].toString(QKeySequence::NativeText);
            QVERIFY2(face(command.index)->toolTip().contains(key), qPrintable(face(command.index)->toolTip()));
            QCOMPARE(label(command.index)->toolTip(), face(command.index)->toolTip());
        }
    }

    void keysRunTheCommandsWhereverTheFocusIs() {
        text1(2)->setFocus();
        type(QStringLiteral("\b\b2"));
        key(Qt::Key_Return);  // Enter in a settings box does nothing
        QVERIFY(text2()->text().isEmpty());
        key(Qt::Key_Return, Qt::ControlModifier);  // start
        QCOMPARE(label(10)->text(), QStringLiteral("2"));
        QCOMPARE(label(12)->text(), QStringLiteral("出题完毕！！！"));

        text1(0)->setFocus();
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
        key(Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);  // copy
        QTRY_COMPARE(QGuiApplication::clipboard()->text(), text2()->text());

        text2()->setFocus();
        key(Qt::Key_S, Qt::ControlModifier);  // export, once per run
        QCOMPARE(writer->calls.back(), QStringLiteral("Show"));
        const std::size_t calls = writer->calls.size();
        key(Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(writer->calls.size(), calls);

        key(Qt::Key_F1);  // help
        QCOMPARE(boxes.size(), std::size_t{1});
        QCOMPARE(boxes[0].title, QStringLiteral("帮助"));

        key(Qt::Key_F5);  // start again, from the output box
        QCOMPARE(label(12)->text(), QStringLiteral("出题完毕！！！"));
        key(Qt::Key_Delete, Qt::ControlModifier | Qt::ShiftModifier);  // clear
        QVERIFY(text2()->text().isEmpty());
        QCOMPARE(text1(2)->text(), QStringLiteral("1"));

        key(Qt::Key_Q, Qt::ControlModifier);  // exit
        QTRY_VERIFY(!form->isVisible());
    }

    void qtsOwnWordsAreChinese() {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("数据错误"), QStringLiteral("x"), QMessageBox::Ok);
        QCOMPARE(box.button(QMessageBox::Ok)->text().remove(QLatin1Char('&')), QStringLiteral("确定"));
        QMenu* menu = contextMenu(text2()->viewport());
        QVERIFY(menu);
        QStringList texts;
        for (QAction* action : menu->actions()) texts << action->text();
        QVERIFY2(texts.join(QLatin1Char(' ')).contains(QStringLiteral("粘贴")), qPrintable(texts.join(QLatin1Char(' '))));
    }

    void numberBoxMenusShowNoSwallowedShortcuts() {
        for (int index : {0, 2}) {
            QMenu* menu = contextMenu(text1(index));
            QVERIFY(menu);
            bool paste = false;
            for (QAction* action : menu->actions()) {
                QVERIFY2(!action->text().contains(QLatin1Char('\t')) && action->shortcut().isEmpty(),
                         qPrintable(action->text()));
                paste |= action->text().contains(QStringLiteral("粘贴"));
            }
            QVERIFY(paste);  // pasting through the menu stays: the change check deals with it
            menu->close();
        }
    }
};

QTEST_MAIN(KeyboardAndMenusTest)
#include "KeyboardAndMenusTest.moc"
