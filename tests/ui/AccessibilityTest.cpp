// The window as a screen reader sees it through Qt's accessibility interfaces: every control
// named by its caption, the picture buttons as push buttons whose press action runs their
// command, and nothing of the window's look or focus changed by it.
#include <QAccessible>
#include <QAccessibleActionInterface>

#include "WindowFixture.h"

class AccessibilityTest : public QObject, public WindowFixture {
    Q_OBJECT

    static QAccessibleInterface* of(QObject* object) { return QAccessible::queryAccessibleInterface(object); }
    static void press(QObject* object) {
        QAccessibleInterface* iface = of(object);
        QVERIFY(iface && iface->actionInterface());
        iface->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    }

private slots:
    void init() { open(); }
    void cleanup() { close(); }

    void everyControlHasItsCaptionAsName() {
        const QStringList names = {"多少以内的加减法？", "难易程度", "试卷份数", "需要帮助请点击这里", "开始出题",
                                   "生成试卷", "清除内容", "将题复制至:剪贴板", "退出"};
        for (int i = 0; i < 9; ++i) {
            QAccessibleInterface* button = of(face(i));
            QVERIFY(button);
            QCOMPARE(button->role(), QAccessible::Button);
            QCOMPARE(button->text(QAccessible::Name), names[i]);
            QCOMPARE(button->actionInterface()->actionNames(), QStringList{QAccessibleActionInterface::pressAction()});
            QCOMPARE(of(label(i))->text(QAccessible::Name), names[i]);
            QCOMPARE(face(i)->focusPolicy(), Qt::NoFocus);  // as before: the keys run the commands
        }
        QCOMPARE(of(text1(0))->text(QAccessible::Name), names[0]);
        QCOMPARE(of(combo())->text(QAccessible::Name), names[1]);  // not its value, "中"
        QCOMPARE(of(combo())->role(), QAccessible::ComboBox);
        QCOMPARE(of(combo())->text(QAccessible::Value), QStringLiteral("中"));
        QCOMPARE(of(text1(2))->text(QAccessible::Name), names[2]);
        QVERIFY(!of(text2())->text(QAccessible::Name).isEmpty());
        QVERIFY(of(face(5))->state().disabled);  // no export before a run
    }

    void pressActionsRunTheCommands() {
        text1(2)->setText(QStringLiteral("2"));
        press(face(5));  // disabled: nothing happens
        QVERIFY(writer->calls.empty());
        press(face(4));
        QCOMPARE(text2()->text().count(QStringLiteral("口算题")), 2);
        QVERIFY(!of(face(5))->state().disabled);
        press(face(5));
        QCOMPARE(writer->calls.back(), QStringLiteral("Show"));
        press(face(3));
        QCOMPARE(boxes.size(), std::size_t{1});
        QCOMPARE(boxes[0].title, QStringLiteral("帮助"));
        press(face(6));
        QVERIFY(text2()->text().isEmpty());
    }
};

QTEST_MAIN(AccessibilityTest)
#include "AccessibilityTest.moc"
